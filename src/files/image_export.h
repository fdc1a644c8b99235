#pragma once

#include "files/export_painter.h"
#include "files/work_progress.h"
#include "model/tilemap.h"
#include "platform/expected.h"

#include <string>

namespace dm {

// The compression the editor exports with, and the one a command-line export takes by default.
inline constexpr int kEditorExportCompression = 8;

// Renders every cell of the map as a glyph-sized block of RGBA pixels (sheet pixels of exactly
// opaque white take the foreground colour, all others the background; colour 255 stays
// transparent) and saves the picture as PNG at path, compression 0 storing the pixels and 9
// making the smallest file. The picture is rendered a band of rows at a time and the bands are
// compressed on every core (see WriteParallelPng), so its size costs no memory, and written
// through a side file like a saved map, so a failure leaves whatever was at path as it was.
// Fails for a map without cells, a picture wider or taller than a PNG is written
// (kPngMaxSide), a glyph sheet that cannot be loaded or does not hold 16 x 16 glyphs of the
// look's size, and a file that cannot be written; the sizes are checked before anything else,
// and a failed write ends the work at once. Progress counts the picture's rows as they reach
// the file; whatever it throws ends the export and reaches the caller, with nothing written. A
// failure says why in words for the user.
Outcome ExportPNG(const tilemap& map, const std::string& path, int compression,
                  const ExportLook& look, const WorkProgress& progress = {});

} // namespace dm
