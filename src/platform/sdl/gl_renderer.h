#pragma once

#include "platform/drawing/frame_list.h"
#include "platform/pictures/pixmap.h"
#include "platform/sdl/texture_atlas.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace dm {

// Draws recorded frames with OpenGL 1.1: one orthographic pixel grid with y downwards, every quad
// textured from the atlas (rectangles from its white block) with its colour per vertex, batched
// into client vertex arrays so that a screen of maps costs a draw call per atlas page instead of
// one per cell layer. Needs a current OpenGL context.
class GlRenderer {
  public:
    GlRenderer(int width, int height);
    ~GlRenderer();
    GlRenderer(const GlRenderer&) = delete;
    GlRenderer& operator=(const GlRenderer&) = delete;

    void Render(const FrameList& frame);

    // Draw calls the last Render made.
    int DrawCalls() const { return drawCalls_; }

    // The back buffer as it stands, top row first, RGBA.
    std::shared_ptr<TPixmap> ReadBack() const;

  private:
    struct Vertex {
        float x, y, u, v;
        uint8_t r, g, b, a;
    };

    void UploadPages();
    void AddQuad(const DrawCommand& command, float u0, float v0, float u1, float v1);
    void AddLine(const DrawCommand& command);
    void Flush();

    int width_;
    int height_;
    TextureAtlas atlas_;
    std::vector<unsigned> textures_;
    std::vector<Vertex> vertices_;
    unsigned primitive_ = 0; // of the vertices waiting to be drawn
    int page_ = 0;           // whose texture they are drawn with
    int drawCalls_ = 0;
};

} // namespace dm
