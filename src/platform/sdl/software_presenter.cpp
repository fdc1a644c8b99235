#include "platform/sdl/software_presenter.h"

#include "platform/drawing/frame_damage.h"
#include "platform/drawing/software_renderer.h"

#include <SDL2/SDL.h>

#include <string>
#include <utility>

namespace dm {

Expected<std::unique_ptr<SoftwarePresenter>> SoftwarePresenter::Create(SDL_Window* window,
                                                                       int width, int height) {
    // Left to itself SDL hands the window's pixels to X through an OpenGL texture of its own,
    // which under a software OpenGL costs a whole frame's drawing at every copy; the shared
    // memory picture of X is far cheaper. The environment may still say otherwise.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    RendererHandle renderer(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE));
    if (!renderer) {
        return Failure{std::string("no software renderer for the window: ") + SDL_GetError()};
    }
    uint32_t format = SDL_GetWindowPixelFormat(window);
    if (format == SDL_PIXELFORMAT_UNKNOWN) {
        format = SDL_PIXELFORMAT_RGB888;
    }
    TextureHandle texture(
        SDL_CreateTexture(renderer.get(), format, SDL_TEXTUREACCESS_STREAMING, width, height));
    if (!texture) {
        return Failure{std::string("no picture of the window's size: ") + SDL_GetError()};
    }
    return std::unique_ptr<SoftwarePresenter>(
        new SoftwarePresenter(std::move(renderer), std::move(texture), format, width, height));
}

void SoftwarePresenter::Release::operator()(SDL_Renderer* renderer) const {
    SDL_DestroyRenderer(renderer);
}

void SoftwarePresenter::Release::operator()(SDL_Texture* texture) const {
    SDL_DestroyTexture(texture);
}

SoftwarePresenter::SoftwarePresenter(RendererHandle renderer, TextureHandle texture,
                                     uint32_t format, int width, int height)
    : renderer_(std::move(renderer)), texture_(std::move(texture)), format_(format), width_(width),
      height_(height), picture_(TPixmap::Create(width, height, kPixelFormatRGBA8888, 4)) {}

void SoftwarePresenter::Upload(int x, int y, int width, int height) {
    const SDL_Rect rect{x, y, width, height};
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_.get(), &rect, &pixels, &pitch) != 0) {
        return;
    }
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGBA32, picture_->PixelPtr(x, y),
                      picture_->pitch, format_, pixels, pitch);
    SDL_UnlockTexture(texture_.get());
    pixelsRedrawn_ += int64_t{width} * height;
}

void SoftwarePresenter::Render(const FrameList& frame) {
    pixelsRedrawn_ = 0;
    DamageGrid damage(width_, height_);
    if (drawnAny_) {
        damage = FrameDamage(drawn_, frame, width_, height_);
    } else {
        damage.MarkAll();
    }
    if (damage.IsFull()) {
        picture_->ClearPixels(0xFF000000u);
        RasterizeFrame(frame, *picture_);
        Upload(0, 0, width_, height_);
    } else if (!damage.IsEmpty()) {
        RasterizeDamage(frame, damage, *picture_);
        for (const PixelRect& rect : damage.Rectangles()) {
            Upload(rect.x, rect.y, rect.width, rect.height);
        }
    }
    if (!drawnAny_ || !damage.IsEmpty()) {
        drawn_ = frame;
        drawnAny_ = true;
    }
    // What the renderer drew before is not kept for certain, so the whole picture is copied.
    SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr);
}

std::shared_ptr<TPixmap> SoftwarePresenter::ReadBack() const {
    std::shared_ptr<TPixmap> picture = TPixmap::Create(width_, height_, kPixelFormatRGBA8888, 4);
    SDL_RenderReadPixels(renderer_.get(), nullptr, SDL_PIXELFORMAT_RGBA32, picture->pixels,
                         picture->pitch);
    return picture;
}

void SoftwarePresenter::Show() {
    SDL_RenderPresent(renderer_.get());
}

} // namespace dm
