#pragma once

#include "platform/drawing/frame_list.h"
#include "platform/expected.h"
#include "platform/pictures/pixmap.h"

#include <memory>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace dm {

// Shows recorded frames without OpenGL: the software rasteriser draws them into a picture of the
// window, which SDL's software renderer copies to the window from a streaming texture. Only the
// parts whose drawing changed since the last frame are drawn and uploaded again, so a frame in
// which one cell changes costs about as much as the copy to the screen.
class SoftwarePresenter {
  public:
    // For a window that has no OpenGL context; fails with SDL's reason.
    static Expected<std::unique_ptr<SoftwarePresenter>> Create(SDL_Window* window, int width,
                                                               int height);

    // Brings the window's back buffer to the frame.
    void Render(const FrameList& frame);

    // The back buffer as it stands, top row first, RGBA.
    std::shared_ptr<TPixmap> ReadBack() const;

    // Shows the back buffer.
    void Show();

    // Pixels drawn and uploaded again by the last Render.
    int64_t PixelsRedrawn() const { return pixelsRedrawn_; }

  private:
    struct Release {
        void operator()(SDL_Renderer* renderer) const;
        void operator()(SDL_Texture* texture) const;
    };
    using RendererHandle = std::unique_ptr<SDL_Renderer, Release>;
    using TextureHandle = std::unique_ptr<SDL_Texture, Release>;

    SoftwarePresenter(RendererHandle renderer, TextureHandle texture, uint32_t format, int width,
                      int height);
    void Upload(int x, int y, int width, int height);

    // The texture goes before its renderer.
    RendererHandle renderer_;
    TextureHandle texture_;
    uint32_t format_; // of the texture, the window's own so that copying it converts nothing
    int width_;
    int height_;
    std::shared_ptr<TPixmap> picture_; // what the texture holds, RGBA
    FrameList drawn_;                  // the frame the picture shows
    bool drawnAny_ = false;
    int64_t pixelsRedrawn_ = 0;
};

} // namespace dm
