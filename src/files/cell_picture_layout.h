#pragma once

#include "model/tilemap.h"
#include "platform/pictures/pixmap.h"

namespace dm {

// A map's picture has one pixel per cell: pixel (x, y) carries cell x * h + y, its glyph in red,
// foreground in green and background in blue. Both directions copy by cache-sized blocks, since
// the cells run down the picture's columns while the pixels run along its rows.

// Fills the RGB888 picture, of the map's size, with the map's cells.
void CellsToPixels(const tilemap& map, TPixmap& picture);

// Copies the RGB888 rows firstRow to firstRow + rows.height - 1 of a map's picture into its cells.
void PixelsToCells(const TPixmap& rows, int firstRow, tilemap& map);

} // namespace dm
