#pragma once

#include "platform/expected.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// One scripted happening of a headless run.
enum class ReplayAction {
    KeyDown,     // value: key code
    KeyUp,       // value: key code
    Char,        // value: the Unicode code point typed
    Move,        // value, value2: window pixel
    ButtonDown,  // value: 1 left, 2 right, 3 middle
    ButtonUp,    // value: button
    Wheel,       // value: notches
    Close,       // the window's close request
    FocusLost,   //
    FocusGained, //
    Expose,      // the window lost what it showed and must be drawn again
    Answer,      // text: the next file requester's answer, "" to cancel
    Choose,      // value: the next message box's button index
    Screenshot,  // text: where to save the frame presented at this frame
    Clipboard,   // text: what the desktop clipboard holds from now on
    Drop,        // text: a file dropped on the window
    End,         // stop after this frame
};

struct ReplayStep {
    int64_t frame = 0;
    ReplayAction action = ReplayAction::End;
    int value = 0;
    int value2 = 0;
    std::string text;
};

// A script in order of frames, as parsed from text.
struct ReplayScript {
    std::vector<ReplayStep> steps;
};

// Reads a script: one happening per line, blank lines and lines starting with "#" ignored, numbers
// decimal. "frame N" makes the following lines happen at frame N (frames count presented frames
// from 0 and never go back). "press CODE" is a key down and up in one frame. Relative paths of
// "screenshot", "answer" and "drop" are taken against baseFolder. "clipboard TEXT" puts the text
// after the word (and the one space after it) on the clipboard, where "\n" stands for a line
// feed, "\r" for a carriage return, "\t" for a tab, "\\" for a backslash and "\xNN" for the byte
// of two hexadecimal digits (the way the log's clipboard line shows control bytes); "clipboard"
// alone empties it. The first line that does not parse refuses the whole script, with the reason
// "line N: why".
Expected<ReplayScript> ParseReplayScript(std::string_view text, const std::string& baseFolder);

// Reads and parses the script file at path for a run of the program. Besides a file that cannot
// be read or parsed, it refuses a script with nothing in it to happen (empty, comments only, or
// frame lines alone), since a run on it would never end; the failure names the path.
Expected<ReplayScript> ReadReplayScript(const std::string& path, const std::string& baseFolder);

} // namespace dm
