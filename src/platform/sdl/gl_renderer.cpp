#include "platform/sdl/gl_renderer.h"

#include "platform/drawing/timage.h"

#include <GL/gl.h>

#include <cstring>

namespace dm {

namespace {

// Pages hold both sheets of a tileset of glyphs up to 30 pixels square.
constexpr int kPageSize = 1024;

int PageSize() {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return largest > 0 && largest < kPageSize ? largest : kPageSize;
}

} // namespace

GlRenderer::GlRenderer(int width, int height) : width_(width), height_(height), atlas_(PageSize()) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glLineWidth(1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
}

GlRenderer::~GlRenderer() {
    if (!textures_.empty()) {
        glDeleteTextures(static_cast<GLsizei>(textures_.size()), textures_.data());
    }
}

void GlRenderer::UploadPages() {
    std::vector<AtlasPage>& pages = atlas_.Pages();
    while (textures_.size() < pages.size()) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        textures_.push_back(texture);
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        AtlasPage& page = pages[i];
        if (!page.dirty) {
            continue;
        }
        const GLint filter = page.filtered ? GL_LINEAR : GL_NEAREST;
        glBindTexture(GL_TEXTURE_2D, textures_[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, page.size, page.size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     page.pixels->pixels);
        page.dirty = false;
    }
}

void GlRenderer::AddQuad(const DrawCommand& c, float u0, float v0, float u1, float v1) {
    const uint8_t a = 255;
    vertices_.push_back({c.x0, c.y0, u0, v0, c.red, c.green, c.blue, a});
    vertices_.push_back({c.x1, c.y0, u1, v0, c.red, c.green, c.blue, a});
    vertices_.push_back({c.x1, c.y1, u1, v1, c.red, c.green, c.blue, a});
    vertices_.push_back({c.x0, c.y1, u0, v1, c.red, c.green, c.blue, a});
}

// Lines pass through pixel centres; the end pixel is a point of its own.
void GlRenderer::AddLine(const DrawCommand& c) {
    const float u = atlas_.WhiteU(), v = atlas_.WhiteV();
    if (primitive_ != GL_LINES) {
        Flush();
        primitive_ = GL_LINES;
    }
    vertices_.push_back({c.x0 + 0.5f, c.y0 + 0.5f, u, v, c.red, c.green, c.blue, 255});
    vertices_.push_back({c.x1 + 0.5f, c.y1 + 0.5f, u, v, c.red, c.green, c.blue, 255});
    if (c.lastPixel) {
        Flush();
        primitive_ = GL_POINTS;
        vertices_.push_back({c.x1 + 0.5f, c.y1 + 0.5f, u, v, c.red, c.green, c.blue, 255});
    }
}

void GlRenderer::Flush() {
    if (vertices_.empty()) {
        return;
    }
    UploadPages();
    glBindTexture(GL_TEXTURE_2D, textures_[static_cast<size_t>(page_)]);
    const GLsizei stride = sizeof(Vertex);
    glVertexPointer(2, GL_FLOAT, stride, &vertices_[0].x);
    glTexCoordPointer(2, GL_FLOAT, stride, &vertices_[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, &vertices_[0].r);
    glDrawArrays(primitive_, 0, static_cast<GLsizei>(vertices_.size()));
    ++drawCalls_;
    vertices_.clear();
}

void GlRenderer::Render(const FrameList& frame) {
    drawCalls_ = 0;
    primitive_ = GL_QUADS;
    atlas_.EnsurePage();
    for (const DrawCommand& command : frame.commands) {
        switch (command.kind) {
        case DrawKind::Clear:
            Flush();
            glClearColor(command.red / 255.0f, command.green / 255.0f, command.blue / 255.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            break;
        case DrawKind::Rect:
            if (primitive_ != GL_QUADS) {
                Flush();
                primitive_ = GL_QUADS;
            }
            AddQuad(command, atlas_.WhiteU(), atlas_.WhiteV(), atlas_.WhiteU(), atlas_.WhiteV());
            break;
        case DrawKind::Frame: {
            const AtlasFrame& place = atlas_.Place(*command.image, command.frame);
            if (primitive_ != GL_QUADS || place.page != page_) {
                Flush();
                primitive_ = GL_QUADS;
                page_ = place.page;
            }
            AddQuad(command, place.u0, place.v0, place.u1, place.v1);
            break;
        }
        case DrawKind::Line:
            AddLine(command);
            break;
        }
    }
    Flush();
}

std::shared_ptr<TPixmap> GlRenderer::ReadBack() const {
    std::shared_ptr<TPixmap> picture = TPixmap::Create(width_, height_, kPixelFormatRGBA8888, 4);
    std::vector<uint8_t> rows(static_cast<size_t>(picture->pitch) * height_);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < height_; ++y) {
        std::memcpy(picture->PixelPtr(0, y),
                    rows.data() + static_cast<size_t>(height_ - 1 - y) * picture->pitch,
                    static_cast<size_t>(picture->pitch));
    }
    return picture;
}

} // namespace dm
