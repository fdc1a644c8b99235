#pragma once

#include "editor/editor.h"
#include "editor/recovery.h"
#include "editor/screen_regions.h"
#include "files/tilemap_file.h"
#include "platform/drivers/headless_driver.h"
#include "platform/host.h"
#include "platform/input/polled_input.h"
#include "support/drawn_cells.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace dm::test {

// Script lines for the shipped screen of 8 x 14 glyphs.
inline std::string MoveToCell(int x, int y) {
    return "move " + std::to_string(x * 8 + 4) + " " + std::to_string(y * 14 + 7) + "\n";
}

// A cell away from every active region of the screen.
inline const std::string kAway = MoveToCell(100, 40);

// The screen cell (x, y) counted from a region's top-left.
inline std::string OverRegion(const ScreenRegion& region, int x, int y) {
    return MoveToCell(region.left + x, region.top + y);
}

inline std::string OverCell(ScreenCell cell) {
    return MoveToCell(cell.x, cell.y);
}

// The cell of a glyph or colour picker that shows index i.
inline std::string OverPickerIndex(const ScreenRegion& picker, int index) {
    return OverRegion(picker, index % 16, index / 16);
}

// The screen cell showing cell (x, y) of a canvas in view from (viewx, 0).
inline std::string OverCanvas(int x, int y, int viewx = 0) {
    return OverRegion(kCanvasRegion, x - viewx, y);
}

// A script written frame after frame: each step happens in the frame after the one before, and
// prompts take their characters one frame each.
class Script {
  public:
    Script& Then(const std::string& lines) {
        text_ += "frame " + std::to_string(++frame_) + "\n" + lines;
        return *this;
    }
    Script& Type(const std::string& line) {
        for (char c : line) {
            Then("char " + std::to_string(static_cast<unsigned char>(c)) + "\n");
        }
        return Then("press 13\n");
    }
    // A letter pressed with Shift held, Shift let go in the next frame.
    Script& Shifted(char key) {
        return Then("key down 160\npress " + std::to_string(static_cast<int>(key)) + "\n")
            .Then("key up 160\n");
    }
    // A button held over a screen cell for one frame and let go in the next: 1 left, 2 right,
    // 3 middle.
    Script& Click(const std::string& move, int button = 1) {
        const std::string name = std::to_string(button);
        return Then(move + "button down " + name + "\n").Then("button up " + name + "\n");
    }
    Script& Click(int x, int y) { return Click(MoveToCell(x, y)); }
    Script& Wait(int frames) {
        frame_ += frames;
        return *this;
    }
    std::string End() const { return text_ + "frame " + std::to_string(frame_ + 1) + "\nend\n"; }

  private:
    std::string text_;
    int frame_ = 0;
};

// A command line of one map, or of none when mapPath is empty.
inline std::vector<std::string> OneMap(const std::string& mapPath) {
    return mapPath.empty() ? std::vector<std::string>{} : std::vector<std::string>{mapPath};
}

// The editor run headless from the program's folder on a script, as `duskmarch --replay` runs it.
class EditorSession {
  public:
    EditorSession() : previousFolder_(std::filesystem::current_path()) {
        std::filesystem::current_path(DUSKMARCH_BIN_DIR);
    }
    ~EditorSession() {
        state_.reset();
        ResetHost();
        std::filesystem::current_path(previousFolder_);
    }
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    // Starts the editor with the maps of its command line and runs frames until the user quits or
    // the script ends; true when the editor quit.
    bool Run(const std::string& script, const std::vector<std::string>& mapPaths) {
        return RunOn<HeadlessDriver>(script, mapPaths);
    }
    // The same with one map, or none when mapPath is empty.
    bool Run(const std::string& script, const std::string& mapPath = "") {
        return Run(script, OneMap(mapPath));
    }

    // Runs start recovery from the folder given, as the program does from the user's state
    // folder.
    void RecoverFrom(const std::string& recoveryFolder) { recoveryFolder_ = recoveryFolder; }

    // Run on a headless driver of type Driver, made from the script, the log and `extra`.
    template <class Driver, class... Extra>
    bool RunOn(const std::string& script, const std::vector<std::string>& mapPaths,
               Extra&&... extra) {
        Expected<ReplayScript> parsed = ParseReplayScript(script, "/");
        // A script that does not parse would leave the editor running without end.
        EXPECT_TRUE(parsed) << (parsed ? "" : parsed.Why());
        if (!parsed) {
            return false;
        }
        driver_ = std::make_shared<Driver>(std::move(*parsed), log_, std::forward<Extra>(extra)...);
        SetUpHost(driver_);
        state_ = StartEditor(mapPaths);
        if (!RunEnded() && !recoveryFolder_.empty()) {
            StartRecovery(*state_, recoveryFolder_);
        }
        if (RunEnded()) {
            return false;
        }
        FrameResult result = FrameResult::Continue;
        while (result == FrameResult::Continue) {
            result = RunFrame(*state_);
        }
        return result == FrameResult::Quit;
    }

    EditorState& State() { return *state_; }
    HeadlessDriver& Driver() { return *driver_; }
    std::string Log() const { return log_.str(); }

    // Text the last presented frame shows along a screen row of the shipped 8 x 14 glyphs.
    std::string Shown(int x, int y, int length) const {
        return TextAt(driver_->PresentedFrame(), 8, 14, x, y, length);
    }

  private:
    std::filesystem::path previousFolder_;
    std::string recoveryFolder_;
    std::ostringstream log_;
    std::shared_ptr<HeadlessDriver> driver_;
    std::unique_ptr<EditorState> state_;
};

// The editor run on a script that ends before the user quits.
inline std::unique_ptr<EditorSession> Ran(const std::string& script,
                                          const std::vector<std::string>& mapPaths) {
    auto session = std::make_unique<EditorSession>();
    EXPECT_FALSE(session->Run(script, mapPaths));
    return session;
}
inline std::unique_ptr<EditorSession> Ran(const std::string& script,
                                          const std::string& mapPath = "") {
    return Ran(script, OneMap(mapPath));
}

inline std::string Row(const tilemap& map, int x, int y, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        uint8_t glyph = 0, fg = 0, bg = 0;
        map.GrabTile(x + i, y, glyph, fg, bg);
        text += static_cast<char>(glyph);
    }
    return text;
}

inline std::vector<std::string> Rows(const tilemap& map) {
    std::vector<std::string> rows;
    for (int y = 0; y < map.tmaph; ++y) {
        rows.push_back(Row(map, 0, y, map.tmapw));
    }
    return rows;
}

// A folder of its own for one test, emptied first, as test programs run side by side.
inline std::string FreshFolder(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

// Saves at path a map whose glyphs are the characters of the rows, in foreground 1 on
// background 2.
inline std::shared_ptr<tilemap> SaveRows(const std::string& path,
                                         const std::vector<std::string>& rows) {
    auto map =
        tilemap::Create(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
    for (int y = 0; y < map->tmaph; ++y) {
        for (int x = 0; x < map->tmapw; ++x) {
            map->SetTile(x, y, static_cast<uint8_t>(rows[y][x]), 1, 2, 1);
        }
    }
    EXPECT_EQ(Save(*map, path), 1) << path;
    return map;
}

} // namespace dm::test
