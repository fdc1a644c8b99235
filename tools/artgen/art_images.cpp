#include "art_images.h"

namespace dm {
namespace {

// The palette picture is 16 colours wide.
constexpr int kPaletteColumns = 16;
constexpr uint32_t kOpaque = 0xFF000000u;

} // namespace

std::shared_ptr<TPixmap> RenderSheet(const GlyphSet& glyphs, uint32_t ink, uint32_t paper) {
    auto sheet = TPixmap::Create(kGlyphsPerRow * kGlyphWidth, kGlyphsPerRow * kGlyphHeight,
                                 kPixelFormatRGB888, 4);
    if (!sheet) {
        return nullptr;
    }
    for (int code = 0; code < kGlyphCount; ++code) {
        const int left = code % kGlyphsPerRow * kGlyphWidth;
        const int top = code / kGlyphsPerRow * kGlyphHeight;
        for (int y = 0; y < kGlyphHeight; ++y) {
            for (int x = 0; x < kGlyphWidth; ++x) {
                const uint32_t colour = glyphs[code].Get(x, y) ? ink : paper;
                sheet->WritePixel(left + x, top + y, kOpaque | colour);
            }
        }
    }
    return sheet;
}

std::shared_ptr<TPixmap> RenderPalette(const std::array<uint32_t, kPaletteSize>& colours) {
    auto picture =
        TPixmap::Create(kPaletteColumns, kPaletteSize / kPaletteColumns, kPixelFormatRGB888, 4);
    if (!picture) {
        return nullptr;
    }
    for (int index = 0; index < kPaletteSize; ++index) {
        picture->WritePixel(index % kPaletteColumns, index / kPaletteColumns,
                            kOpaque | colours[index]);
    }
    return picture;
}

} // namespace dm
