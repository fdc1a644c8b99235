#include "render/tileset.h"

#include "platform/fatal_error.h"
#include "platform/paths.h"
#include "platform/pixmap.h"
#include "platform/png_codec.h"

namespace dm {

namespace {

// Glyph sizes are kept in 8 bits, so a sheet may be at most 16 x 255 pixels across and down.
constexpr int kMaxSheetSide = kGlyphsPerRow * 255;

GlyphSheet CutSheet(std::shared_ptr<TPixmap> pixmap, int glyphWidth, int glyphHeight) {
    GlyphSheet sheet;
    for (int i = 0; i < kGlyphCount; ++i) {
        sheet.frames[i] =
            pixmap->Window(glyphWidth * (i % kGlyphsPerRow), glyphHeight * (i / kGlyphsPerRow),
                           glyphWidth, glyphHeight);
    }
    sheet.pixmap = std::move(pixmap);
    return sheet;
}

} // namespace

std::string ForegroundSheetPath(const std::string& tilesetPath) {
    return PathNoExtension(tilesetPath) + "_fg.png";
}

std::string BackgroundSheetPath(const std::string& tilesetPath) {
    return PathNoExtension(tilesetPath) + "_bg.png";
}

Tileset LoadTileset(const std::string& path, const DisplayConfig& config) {
    const std::string& tilesetPath = path == kUseDefaultPath ? config.tileset : path;
    const std::string foregroundPath = ForegroundSheetPath(tilesetPath);
    const std::string backgroundPath = BackgroundSheetPath(tilesetPath);

    std::shared_ptr<TPixmap> foreground = LoadPixmap(foregroundPath);
    if (!foreground) {
        throw FatalError("Failed to load " + foregroundPath);
    }
    if (foreground->width < kGlyphsPerRow || foreground->height < kGlyphsPerRow ||
        foreground->width > kMaxSheetSide || foreground->height > kMaxSheetSide) {
        throw FatalError(
            "Tileset image " + foregroundPath + " is " + std::to_string(foreground->width) + " x " +
            std::to_string(foreground->height) + " pixels; a sheet of 16 x 16 " +
            "glyphs must be 16 to " + std::to_string(kMaxSheetSide) + " pixels across and down");
    }
    const int glyphWidth = foreground->width / kGlyphsPerRow;
    const int glyphHeight = foreground->height / kGlyphsPerRow;

    std::shared_ptr<TPixmap> background = LoadPixmap(backgroundPath);
    if (!background || background->width < glyphWidth * kGlyphsPerRow ||
        background->height < glyphHeight * kGlyphsPerRow) {
        throw FatalError("Failed to load tileset image " + backgroundPath);
    }

    Tileset tileset;
    tileset.ForegroundSheet = CutSheet(std::move(foreground), glyphWidth, glyphHeight);
    tileset.BackgroundSheet = CutSheet(std::move(background), glyphWidth, glyphHeight);
    tileset.GlyphWidth = static_cast<uint8_t>(glyphWidth);
    tileset.GlyphHeight = static_cast<uint8_t>(glyphHeight);
    return tileset;
}

} // namespace dm
