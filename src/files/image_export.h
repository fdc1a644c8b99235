#pragma once

#include "files/work_progress.h"
#include "model/tilemap.h"

#include <array>
#include <cstdint>
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

// Whether an export was written, and if not, why, in words for the user.
struct ExportResult {
    bool ok = false;
    std::string error;
};

// Renders every cell of the map as a glyph-sized block of RGBA pixels (sheet pixels of exactly
// opaque white take the foreground colour, all others the background; colour 255 stays
// transparent) and saves the picture as PNG at path with the given zlib level. The picture is
// rendered and encoded a band of rows at a time, so its size costs no memory, and written
// through a side file like a saved map, so a failure leaves whatever was at path as it was.
// Fails for a map without cells, a picture wider or taller than a PNG is written
// (kPngMaxSide), a glyph sheet that cannot be loaded or does not hold 16 x 16 glyphs of the
// look's size, and a file that cannot be written. Progress counts the picture's rows, rendered
// and encoded together; whatever it throws ends the export and reaches the caller, with nothing
// written.
ExportResult ExportPNG(const tilemap& map, const std::string& path, int compression,
                       const ExportLook& look, const WorkProgress& progress = {});

} // namespace dm
