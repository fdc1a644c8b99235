#pragma once

#include "editor/editor.h"
#include "platform/headless_driver.h"
#include "platform/polled_input.h"
#include "platform/system_driver.h"
#include "support/drawn_cells.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

namespace dm::test {

// Script lines for the shipped screen of 8 x 14 glyphs.
inline std::string MoveToCell(int x, int y) {
    return "move " + std::to_string(x * 8 + 4) + " " + std::to_string(y * 14 + 7) + "\n";
}
inline std::string Frame(int n) {
    return "frame " + std::to_string(n) + "\n";
}
// Characters typed into a prompt, one frame each from frame `from` on, then Enter.
inline std::string TypeLine(int from, const std::string& text) {
    std::string script;
    for (char c : text) {
        script += Frame(from++) + "char " + std::to_string(static_cast<unsigned char>(c)) + "\n";
    }
    return script + Frame(from) + "press 13\n";
}

// A script written frame after frame: each step happens in the frame after the one before, and
// prompts take their characters one frame each.
class Script {
  public:
    Script& Then(const std::string& lines) {
        text_ += Frame(++frame_) + lines;
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
    Script& Click(int x, int y) {
        return Then(MoveToCell(x, y) + "button down 1\n").Then("button up 1\n");
    }
    Script& Wait(int frames) {
        frame_ += frames;
        return *this;
    }
    std::string End() const { return text_ + Frame(frame_ + 1) + "end\n"; }
    int FrameNumber() const { return frame_; }

  private:
    std::string text_;
    int frame_ = 0;
};

// The editor run headless from the program's folder on a script, as `duskmarch --replay` runs it.
class EditorSession {
  public:
    EditorSession() {
        previousFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(DUSKMARCH_BIN_DIR);
    }
    ~EditorSession() {
        state_.reset();
        CloseGraphics();
        SetSystemDriver(nullptr);
        std::filesystem::current_path(previousFolder_);
    }
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    // Starts the editor and runs frames until the user quits or the script ends; true when the
    // editor quit.
    bool Run(const std::string& script, const std::string& mapPath = "",
             const std::string& baseFolder = "/") {
        return RunOn<HeadlessDriver>(script, mapPath, baseFolder);
    }

    // Run on a headless driver of type Driver, made from the script, the log and `extra`.
    template <class Driver, class... Extra>
    bool RunOn(const std::string& script, const std::string& mapPath, const std::string& baseFolder,
               Extra&&... extra) {
        ReplayParseResult parsed = ParseReplayScript(script, baseFolder);
        EXPECT_TRUE(parsed.script) << parsed.error;
        driver_ = std::make_shared<Driver>(parsed.script.value_or(ReplayScript{}), log_,
                                           std::forward<Extra>(extra)...);
        SetSystemDriver(driver_);
        try {
            state_ = StartEditor(mapPath);
            while (RunFrame(*state_) == FrameResult::Continue) {
            }
            return true;
        } catch (const ReplayFinished&) {
            return false;
        }
    }

    EditorState& State() { return *state_; }
    HeadlessDriver& Driver() { return *driver_; }
    std::string Log() const { return log_.str(); }

    // Text the last presented frame shows along a screen row of the shipped 8 x 14 glyphs.
    std::string Shown(int x, int y, int length) const {
        return TextAt(driver_->PresentedFrame(), 8, 14, x, y, length);
    }

    // The glyphs of a map row as text.
    static std::string Row(const tilemap& map, int x, int y, int length) {
        std::string text;
        for (int i = 0; i < length; ++i) {
            uint8_t glyph = 0, fg = 0, bg = 0;
            map.GrabTile(x + i, y, glyph, fg, bg);
            text += static_cast<char>(glyph);
        }
        return text;
    }

  private:
    std::filesystem::path previousFolder_;
    std::ostringstream log_;
    std::shared_ptr<HeadlessDriver> driver_;
    std::unique_ptr<EditorState> state_;
};

} // namespace dm::test
