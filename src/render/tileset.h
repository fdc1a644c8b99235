#pragma once

#include "files/glyph_sheet.h"
#include "render/display_config.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dm {

class TImage;

// The two glyph sheets as images of 256 frames, glyph g being frame g; black is the mask colour
// and glyphs are sampled by nearest pixel so they stay sharp when scaled.
struct Tileset {
    std::shared_ptr<TImage> ForegroundSheet;
    std::shared_ptr<TImage> BackgroundSheet;
    uint8_t GlyphWidth = 0;
    uint8_t GlyphHeight = 0;
};

// Loads both glyph sheets named after path (kUseDefaultPath: config.tileset; a relative path is
// taken from config.resourceFolder) and cuts each into 256 frames of the foreground sheet's glyph
// size, 16 to a row. Sets the mask colour to black. Throws FatalError when a sheet cannot be loaded
// or is too small or too large for 16 x 16 glyphs.
Tileset LoadTileset(const std::string& path, const DisplayConfig& config);

} // namespace dm
