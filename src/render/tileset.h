#pragma once

#include "render/display_config.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace dm {

class TPixmap;

inline constexpr int kGlyphCount = 256;
inline constexpr int kGlyphsPerRow = 16;

// One glyph sheet: the whole picture and its 256 glyph frames, which share its pixels.
struct GlyphSheet {
    std::shared_ptr<TPixmap> pixmap;
    std::array<std::shared_ptr<TPixmap>, kGlyphCount> frames;
};

struct Tileset {
    GlyphSheet ForegroundSheet;
    GlyphSheet BackgroundSheet;
    uint8_t GlyphWidth = 0;
    uint8_t GlyphHeight = 0;
};

// The sheet file names derived from a tileset path: its extension (if any) replaced by
// "_fg.png" and "_bg.png", with forward slashes.
std::string ForegroundSheetPath(const std::string& tilesetPath);
std::string BackgroundSheetPath(const std::string& tilesetPath);

// Loads both glyph sheets named after path (kUseDefaultPath: config.tileset) and cuts each into
// 256 frames of the foreground sheet's glyph size. Throws FatalError when a sheet cannot be
// loaded or is too small or too large for 16 x 16 glyphs.
Tileset LoadTileset(const std::string& path, const DisplayConfig& config);

} // namespace dm
