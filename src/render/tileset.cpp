#include "render/tileset.h"

#include "platform/drawing/timage.h"
#include "platform/fatal_error.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"

namespace dm {

namespace {

// Glyph sizes are kept in 8 bits, so a sheet may be at most 16 x 255 pixels across and down.
constexpr int kMaxSheetSide = kGlyphsPerRow * 255;

// The sheet's 256 glyphs. Only the 16 glyph columns of the sheet are handed over, so that a sheet
// whose width is not a multiple of 16 is still cut 16 glyphs to a row.
std::shared_ptr<TImage> CutSheet(TPixmap& pixmap, int glyphWidth, int glyphHeight) {
    return TImage::LoadAnim(pixmap.Window(0, 0, glyphWidth * kGlyphsPerRow, pixmap.height),
                            glyphWidth, glyphHeight, 0, kGlyphCount, kImageMasked, GetMaskRGB());
}

} // namespace

Tileset LoadTileset(const std::string& path, const DisplayConfig& config) {
    const std::string& tilesetPath = path == kUseDefaultPath ? config.tileset : path;
    const std::string foregroundPath = ForegroundSheetPath(tilesetPath);
    const std::string backgroundPath = BackgroundSheetPath(tilesetPath);

    const std::shared_ptr<TImage> whole =
        TImage::Load(ResourcePath(config, foregroundPath), -1, GetMaskRGB());
    if (!whole) {
        throw FatalError("Failed to load " + foregroundPath);
    }
    TPixmap* foreground = whole->pixmaps[0].get();
    if (foreground->width < kGlyphsPerRow || foreground->height < kGlyphsPerRow ||
        foreground->width > kMaxSheetSide || foreground->height > kMaxSheetSide) {
        throw FatalError(
            "Tileset image " + foregroundPath + " is " + std::to_string(foreground->width) + " x " +
            std::to_string(foreground->height) + " pixels; a sheet of 16 x 16 " +
            "glyphs must be 16 to " + std::to_string(kMaxSheetSide) + " pixels across and down");
    }
    const int glyphWidth = foreground->width / kGlyphsPerRow;
    const int glyphHeight = foreground->height / kGlyphsPerRow;

    SetMaskRGB(0, 0, 0);
    Tileset tileset;
    tileset.ForegroundSheet = CutSheet(*foreground, glyphWidth, glyphHeight);
    if (!tileset.ForegroundSheet) {
        throw FatalError("Failed to load tileset image " + foregroundPath);
    }
    const std::shared_ptr<TPixmap> background = LoadPixmap(ResourcePath(config, backgroundPath));
    if (background && background->width >= glyphWidth * kGlyphsPerRow) {
        tileset.BackgroundSheet = CutSheet(*background, glyphWidth, glyphHeight);
    }
    if (!tileset.BackgroundSheet) {
        throw FatalError("Failed to load tileset image " + backgroundPath);
    }
    tileset.GlyphWidth = static_cast<uint8_t>(glyphWidth);
    tileset.GlyphHeight = static_cast<uint8_t>(glyphHeight);
    return tileset;
}

} // namespace dm
