#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dm {

struct FrameList;
template <class T>
class Expected;
using Outcome = Expected<void>;

// The buttons of a message box, in the order their indices count: Notify shows OK; Confirm OK and
// Cancel; Proceed Yes, No and Cancel.
enum class MessageBoxKind { Notify, Confirm, Proceed };

// What a file requester is asked: the filter as "Description:ext,ext;Description:ext" and the
// initial path, in which "/" separates folders.
struct FileRequest {
    std::string title;
    std::string filter;
    bool save = false;
    std::string initialPath;
};

// Everything that touches the host: the window, its events, time, message boxes and file
// requesters. The program runs on a real desktop driver; tests and replays run on a headless one
// that takes its events from a script, so everything above behaves the same on both.
class SystemDriver {
  public:
    virtual ~SystemDriver() = default;

    // Opens the window with a client area of exactly width x height pixels; fails with the host's
    // reason when the window or its drawing context cannot be made.
    virtual Outcome OpenWindow(const std::string& title, int width, int height) = 0;

    // Takes every pending host event without waiting and hands each to EmitEvent.
    virtual void Poll() = 0;

    // A millisecond clock and a sleep on it.
    virtual int64_t Millisecs() = 0;
    virtual void Delay(int milliseconds) = 0;

    // Draws the frame and shows it. syncInterval 1 waits for the vertical blank, 0 does not.
    virtual void Present(const FrameList& frame, int syncInterval) = 0;

    // Shows a frame drawn while long work runs inside one of the program's frames. It is no frame
    // of the program's own: a scripted run does not count it.
    virtual void PresentInterim(const FrameList& frame) { Present(frame, 0); }

    // Says that long work showed its progress, under the title of the command doing it.
    virtual void NoteProgress(const std::string& title) { static_cast<void>(title); }

    // Says that the program opened one of its own popups, with its title and text as given.
    virtual void NotePopup(const std::string& title, const std::string& text) {
        static_cast<void>(title);
        static_cast<void>(text);
    }

    // Shows a modal message box captioned caption and returns the index of the button chosen,
    // or -1 when it was closed without one.
    virtual int ShowMessageBox(MessageBoxKind kind, const std::string& caption,
                               const std::string& text, bool serious) = 0;

    // Asks for a file; the path chosen, or "" when cancelled.
    virtual std::string RequestFile(const FileRequest& request) = 0;

    // The desktop clipboard, as UTF-8 text; a driver without one keeps nothing.
    virtual Outcome SetClipboardText(const std::string& text);
    virtual std::string GetClipboardText() { return ""; }

    // Whether a scripted run has come to its end: popups and prompts then give their cancel
    // answer at once and the frame loop stops. A run on the desktop ends only when the user quits.
    virtual bool RunEnded() const { return false; }
};

// The driver every platform call goes through; none until the program sets one.
void SetSystemDriver(std::shared_ptr<SystemDriver> driver);
SystemDriver* CurrentSystemDriver();

// Lets the current driver take its pending events; nothing without a driver.
void PollSystem();

// Whether the current driver's run has ended (SystemDriver::RunEnded); false without a driver.
bool RunEnded();

} // namespace dm
