#pragma once

#include "platform/drawing/frame_list.h"
#include "platform/drivers/replay_script.h"
#include "platform/drivers/system_driver.h"
#include "platform/expected.h"
#include "platform/pictures/pixmap.h"

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <memory>
#include <string>

namespace dm {

// A system driver without a display: events come from a script keyed by frame number, time is a
// virtual clock that sleeping advances at once, frames are drawn by the software rasteriser, and
// message boxes and file requesters are answered from the script and written to the log, one line
// each, as are the program's own popups when they open and the text it puts on the clipboard.
// Like the desktop driver it draws a frame only when it differs from the one shown or the window
// was exposed, yet every frame presented counts, so scripts keep their frame numbers. Once the
// frame of the script's end was presented the run has ended (RunEnded): message boxes and
// requesters then close at once without an answer and without a line in the log.
class HeadlessDriver : public SystemDriver {
  public:
    HeadlessDriver(ReplayScript script, std::ostream& log);

    Outcome OpenWindow(const std::string& title, int width, int height) override;
    void Poll() override;
    int64_t Millisecs() override { return clock_; }
    void Delay(int milliseconds) override;
    void Present(const FrameList& frame, int syncInterval) override;
    void PresentInterim(const FrameList& frame) override;
    void NoteProgress(const std::string& title) override;
    void NotePopup(const std::string& title, const std::string& text) override;
    int ShowMessageBox(MessageBoxKind kind, const std::string& caption, const std::string& text,
                       bool serious) override;
    std::string RequestFile(const FileRequest& request) override;
    // The run's own clipboard: the script sets it (reading it takes the script's lines of the
    // frame first), and the program's text is logged as "clipboard TEXT", escaped like a
    // terminal's text (EscapeForTerminal).
    Outcome SetClipboardText(const std::string& text) override;
    std::string GetClipboardText() override;
    bool RunEnded() const override { return ended_; }

    // Frames presented so far; the number of the frame being made.
    int64_t FrameNumber() const { return frame_; }

    // Frames drawn so far, those shown in the midst of long work included: a frame that shows
    // the same as the last one drawn is drawn again only after the window was exposed.
    int64_t FramesDrawn() const { return framesDrawn_; }

    // The drawing of the last frame presented, as recorded.
    const FrameList& PresentedFrame() const { return presented_; }

    // The last frame presented, drawn; a black window before the first; null when there is no
    // memory for it.
    std::shared_ptr<TPixmap> LastFrame();

    // Keeps going past the script's end instead of ending the run, for callers that step the
    // program themselves.
    void RunPastEnd() { runPastEnd_ = true; }

  private:
    void Deliver(const ReplayStep& step);
    void Draw(const FrameList& frame);
    // A screenshot that cannot be written is logged as "screenshot failed: REASON"; the run goes
    // on.
    void SaveScreenshot(const std::string& path);
    Outcome WriteScreenshot(const std::string& path);

    ReplayScript script_;
    std::ostream& log_;
    size_t next_ = 0;
    int64_t frame_ = 0;
    int64_t framesDrawn_ = 0;
    bool exposed_ = false; // the window lost what it showed
    int64_t clock_ = 0;
    int64_t lastFrame_ = -1; // the frame after which the run stops; -1 never
    bool runPastEnd_ = false;
    bool ended_ = false;
    int width_ = 0;
    int height_ = 0;
    FrameList presented_;
    std::shared_ptr<TPixmap> drawn_;
    std::deque<std::string> answers_;
    std::deque<int> choices_;
    std::string clipboard_;
};

} // namespace dm
