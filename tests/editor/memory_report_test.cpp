#include "editor_session.h"

#include "support/memory_limit.h"
#include "tools/tool_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace dm {
namespace {

// A headless driver that limits the process's address space once the first frame is shown, and
// notes the text of every memory message that a frame shows.
class LimitingDriver : public HeadlessDriver {
  public:
    LimitingDriver(ReplayScript script, std::ostream& log, int64_t headroom)
        : HeadlessDriver(std::move(script), log), headroom_(headroom) {}

    void Present(const FrameList& frame, int syncInterval) override {
        HeadlessDriver::Present(frame, syncInterval);
        if (!limited_) {
            limited_ = test::LimitAddressSpace(headroom_);
        }
        // The message popup of the shipped screen writes its text from cell (37, 31).
        const std::string second = Row(32);
        const std::string text = Row(31) + (second.empty() ? "" : " " + second);
        if (text.starts_with("Not enough memory") &&
            (messages_.empty() || messages_.back() != text)) {
            messages_.push_back(text);
        }
    }

    bool Limited() const { return limited_; }
    const std::vector<std::string>& Messages() const { return messages_; }

  private:
    // The label row's text without the blank cells after it.
    std::string Row(int y) const {
        const std::string text = test::TextAt(PresentedFrame(), 8, 14, 37, y, 36);
        const size_t end = text.find_last_not_of(std::string(" \0", 2));
        return end == std::string::npos ? "" : text.substr(0, end + 1);
    }

    int64_t headroom_;
    bool limited_ = false;
    std::vector<std::string> messages_;
};

// Each command that needs a copy of a 4096 x 4096 canvas, run with far less memory left, says so
// in its own words and leaves the canvas and the editor's modes as they were.
TEST(MemoryReport, CommandsWithoutMemorySaySoAndLeaveTheCanvasAsItWas) {
    if (!test::AddressSpaceLimitsWork()) {
        GTEST_SKIP() << "address space limits cannot be tested here";
    }
    const std::string folder = test::FreshFolder("memory_report");
    auto map = tilemap::Create(4096, 4096);
    map->SetTile(5, 5, 'Q', 1, 2, 1);
    map->SetTile(4095, 4095, 'Z', 3, 4, 1);
    testing::internal::CaptureStdout();
    ASSERT_EQ(Save(*map, folder + "/big.dtm"), 1);
    testing::internal::GetCapturedStdout();

    // Typing, fill, draw, export, encode; each memory message is closed with Enter two frames
    // after it opens.
    test::Script script;
    for (const auto& [down, up] :
         {std::pair(test::OverCanvas(5, 5) + "key down 160\npress 84\n", "key up 160\n"),
          std::pair(std::string("button down 3\n"), "button up 3\n"),
          std::pair(std::string("button down 1\n"), "button up 1\n"),
          std::pair("key down 160\npress 69\nanswer " + folder + "/e.png\n", "key up 160\n"),
          std::pair("key down 160\npress 75\nanswer " + folder + "/k.png\n", "key up 160\n")}) {
        script.Then(down).Then(up).Then("press 13\n");
    }
    // Open, then "Unable to read tilemap file."
    script.Then("press 79\nanswer " + folder + "/big.dtm\n").Then("press 13\n").Then("press 13\n");
    const std::string report = folder + "/report.txt";
    const auto ran = test::RunInChild([&] {
        test::EditorSession session;
        session.RunOn<LimitingDriver>(script.Wait(2).End(), {folder + "/big.dtm"},
                                      int64_t{8} << 20);
        const auto& driver = static_cast<const LimitingDriver&>(session.Driver());
        const EditorState& state = session.State();
        std::ofstream out(report);
        for (const std::string& message : driver.Messages()) {
            out << message << "\n";
        }
        const canvas& active = *state.activecanvas;
        out << "limited " << driver.Limited() << ", canvases " << state.canvases.size()
            << ", typing " << state.typing << ", undo " << (active.undo != nullptr) << " "
            << active.canundo << ", saved " << active.hassaved << ", intact "
            << (active.img->tmap == map->tmap) << "\n";
        return true;
    });
    EXPECT_EQ(ran, test::LimitedRun::Done);
    EXPECT_EQ(test::FileText(report),
              "Not enough memory to start typing.\n"
              "Not enough memory to fill the region.\n"
              "Not enough memory to draw.\n"
              "Not enough memory to export the tilemap.\n"
              "Not enough memory to encode the tilemap.\n"
              "Not enough memory to read the tilemap file.\n"
              "limited 1, canvases 1, typing 0, undo 0 0, saved 1, intact 1\n");
}

} // namespace
} // namespace dm
