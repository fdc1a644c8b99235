#include "editor_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace dm {
namespace {

namespace fs = std::filesystem;
using test::EditorSession;
using test::Script;

using FileChange = std::function<void(const std::string& path)>;

// Answers the requester from the script and then changes the file the answer names, as another
// program may between the requester and the read; notes the first row of every "Error!" popup.
class ChangingFileDriver : public HeadlessDriver {
  public:
    ChangingFileDriver(ReplayScript script, std::ostream& log, FileChange change,
                       std::vector<std::string>& errors)
        : HeadlessDriver(std::move(script), log), change_(std::move(change)), errors_(errors) {}

    std::string RequestFile(const FileRequest& request) override {
        const std::string answer = HeadlessDriver::RequestFile(request);
        change_(answer);
        return answer;
    }

    // The popup's title stands from screen cell (38, 30), its text's first row from (37, 31).
    void Present(const FrameList& frame, int syncInterval) override {
        if (test::TextAt(frame, 8, 14, 38, 30, 6) == "Error!") {
            std::string text = test::TextAt(frame, 8, 14, 37, 31, 36);
            text.erase(text.find_last_not_of(std::string(" \0", 2)) + 1);
            if (errors_.empty() || errors_.back() != text) {
                errors_.push_back(text);
            }
        }
        HeadlessDriver::Present(frame, syncInterval);
    }

  private:
    FileChange change_;
    std::vector<std::string>& errors_;
};

TEST(OpenFaults, AFileThatVanishesOrChangesSizeBeforeTheReadIsReportedAndNothingBreaks) {
    struct Case {
        FileChange change;
        std::vector<std::string> errors;
        int32_t openedWidth; // 0: nothing opened
    };
    const std::vector<Case> cases{
        {[](const std::string& path) { fs::remove(path); }, {"Failed to open tilemap."}, 0},
        {[](const std::string& path) { fs::resize_file(path, fs::file_size(path) - 3); },
         {"Encountered unexpected end of file.", "Unable to read tilemap file."},
         0},
        {[](const std::string& path) { ASSERT_EQ(Save(*tilemap::Create(40, 12), path), 1); },
         {},
         40},
    };
    const std::string path = test::FreshFolder("open_faults") + "/castle.dtm";
    for (const Case& c : cases) {
        ASSERT_EQ(Save(*tilemap::Create(16, 16), path), 1);
        // Enter closes each popup; then a new canvas shows the editor still at work.
        Script script;
        script.Then("answer " + path + "\npress 79\n").Then("press 13\n").Then("press 13\n");
        std::vector<std::string> errors;
        EditorSession session;
        EXPECT_FALSE(session.RunOn<ChangingFileDriver>(script.Shifted('N').Wait(1).End(), "",
                                                       c.change, errors));
        EXPECT_EQ(errors, c.errors);
        const std::vector<std::shared_ptr<canvas>>& canvases = session.State().canvases;
        ASSERT_EQ(canvases.size(), c.openedWidth ? 2u : 1u);
        EXPECT_EQ(canvases[0]->w, c.openedWidth ? c.openedWidth : 16);
    }
}

} // namespace
} // namespace dm
