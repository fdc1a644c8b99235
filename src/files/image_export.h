#pragma once

#include "model/tilemap.h"
#include "platform/pixmap.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dm {

// What an exported picture looks like: the glyph sheets named by the tileset path (its
// "_fg.png" sheet is read again), the glyph size fixed at start-up, and the palette as three
// planes of 256 entries (red, green, blue).
struct ExportLook {
    std::string tilesetPath;
    int GlyphWidth = 0;
    int GlyphHeight = 0;
    std::array<uint8_t, 768> palette{};
};

// How far an export has come, in thousandths of the whole job, told each time the figure rises.
// Rendering the cells makes up the first kExportRenderShare of the job and encoding the PNG,
// which takes most of the time, the rest; kExportProgressTotal comes only once the file is
// written and closed.
inline constexpr int kExportProgressTotal = 1000;
inline constexpr int kExportRenderShare = 100;
using ExportProgress = std::function<void(int thousandths)>;

// Renders every cell of the map as a glyph-sized block of RGBA pixels (sheet pixels of exactly
// opaque white take the foreground colour, all others the background; colour 255 stays
// transparent) and saves the picture as PNG at path with the given zlib level. Returns the
// picture, or null when it cannot be made, the glyph sheet cannot be loaded or does not hold
// 16 x 16 glyphs of the look's size (nothing is written then), or the PNG cannot be written.
// Whatever progress throws ends the export and reaches the caller.
std::shared_ptr<TPixmap> ExportPNG(const tilemap& map, const std::string& path, int compression,
                                   const ExportLook& look, const ExportProgress& progress = {});

} // namespace dm
