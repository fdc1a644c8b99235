#include "picture_art/glyph_masks.h"

#include "platform/pictures/png_codec.h"

namespace dm {
namespace {

constexpr int kGlyphsPerRow = 16;
constexpr int kGlyphCount = 256;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

} // namespace

GlyphMasks::GlyphMasks(const TPixmap& sheet, int width, int height)
    : width_(width), height_(height),
      on_(static_cast<size_t>(kGlyphCount) * static_cast<size_t>(width * height)) {
    size_t i = 0;
    for (int code = 0; code < kGlyphCount; ++code) {
        const int left = code % kGlyphsPerRow * width;
        const int top = code / kGlyphsPerRow * height;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                on_[i++] = sheet.ReadPixel(left + x, top + y) == kOpaqueWhite ? 1 : 0;
            }
        }
    }
}

Expected<GlyphMasks> LoadGlyphMasks(const std::string& sheetPath, int glyphWidth, int glyphHeight) {
    const std::shared_ptr<TPixmap> sheet = LoadPixmap(sheetPath);
    if (!sheet) {
        return Failure{"cannot load the glyph sheet " + sheetPath};
    }
    if (glyphWidth <= 0 || glyphHeight <= 0 || sheet->width < kGlyphsPerRow * glyphWidth ||
        sheet->height < kGlyphsPerRow * glyphHeight) {
        return Failure{"the glyph sheet " + sheetPath + " is " + std::to_string(sheet->width) +
                       " x " + std::to_string(sheet->height) + " pixels, too small for 16 x 16 " +
                       "glyphs of " + std::to_string(glyphWidth) + " x " +
                       std::to_string(glyphHeight) + " pixels"};
    }
    return GlyphMasks(*sheet, glyphWidth, glyphHeight);
}

} // namespace dm
