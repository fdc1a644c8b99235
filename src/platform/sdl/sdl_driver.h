#pragma once

#include "platform/drawing/frame_list.h"
#include "platform/drawing/renderer_choice.h"
#include "platform/drivers/system_driver.h"
#include "platform/pictures/pixmap.h"

#include <memory>
#include <optional>
#include <string>

struct SDL_Window;

namespace dm {

class GlRenderer;
class SoftwarePresenter;

// The desktop driver: an SDL window drawn with OpenGL, or through the software rasteriser where
// OpenGL itself runs on the processor or does not start; SDL's events turned into the host's
// events, SDL's clock, SDL message boxes, and the desktop's file chooser run beside the window.
// A frame that would show the same as the one on screen is not drawn again unless the window lost
// its picture (exposed, resized, restored).
class SdlDriver : public SystemDriver {
  public:
    SdlDriver();
    ~SdlDriver() override;
    SdlDriver(const SdlDriver&) = delete;
    SdlDriver& operator=(const SdlDriver&) = delete;

    Outcome OpenWindow(const std::string& title, int width, int height) override;
    void Poll() override;
    int64_t Millisecs() override;
    void Delay(int milliseconds) override;
    void Present(const FrameList& frame, int syncInterval) override;
    int ShowMessageBox(MessageBoxKind kind, const std::string& caption, const std::string& text,
                       bool serious) override;
    std::string RequestFile(const FileRequest& request) override;
    Outcome SetClipboardText(const std::string& text) override;
    std::string GetClipboardText() override;

    // The path the next window takes instead of the one DUSKMARCH_RENDERER asks for.
    void RequestRenderer(RendererRequest request) { request_ = request; }

    // How the open window's frames reach the screen.
    PresentPath Path() const { return path_; }

    // Keeps a copy of each presented frame, read back from the window, for LastFrame.
    void CaptureFrames(bool enabled) { capture_ = enabled; }
    std::shared_ptr<TPixmap> LastFrame() const { return lastFrame_; }

    // Draw calls of the last presented frame.
    int DrawCalls() const;

    // Frames shown since the window opened, those shown again while a file chooser is open
    // included.
    int64_t FramesShown() const { return framesShown_; }

    // Pixels the software path drew and uploaded for the last frame shown; 0 on OpenGL.
    int64_t PixelsRedrawn() const;

  private:
    void CloseWindow();
    // A hidden window with an OpenGL context made current; the name of the OpenGL renderer.
    Expected<std::string> OpenGlWindow(const std::string& title, int width, int height);
    Outcome OpenSoftwareWindow(const std::string& title, int width, int height);
    void Show(const FrameList& frame);
    // While a chooser is open: answers the desktop, drops the input meant for the editor and
    // shows the last frame again.
    void KeepAnswering();

    SDL_Window* window_ = nullptr; // owned; SDL frees it
    void* context_ = nullptr;      // owned; SDL frees it
    std::unique_ptr<GlRenderer> renderer_;
    std::unique_ptr<SoftwarePresenter> software_;
    std::optional<RendererRequest> request_;
    PresentPath path_ = PresentPath::OpenGl;
    bool exposed_ = false; // the window lost what it showed
    int swapInterval_ = -1;
    int buttonsHeld_ = 0;
    bool capture_ = false;
    std::shared_ptr<TPixmap> lastFrame_;
    FrameList shown_; // the last frame presented, to show again and to tell changes by
    int64_t framesShown_ = 0;
};

} // namespace dm
