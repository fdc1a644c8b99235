#pragma once

#include "picture_art/art_quality.h"
#include "picture_art/glyph_masks.h"
#include "picture_art/glyph_set.h"

#include "files/color_match.h"
#include "files/work_progress.h"
#include "model/tilemap.h"
#include "platform/expected.h"
#include "platform/pictures/pixmap.h"

#include <cstdint>
#include <memory>

namespace dm {

// The tileset and palette a picture is drawn with.
struct ArtLook {
    GlyphMasks masks;
    PalettePlanes palette{};
};

// The map a picture becomes and how its search runs.
struct ArtRequest {
    int64_t columns = 0;
    int64_t rows = 0;
    GlyphSet glyphs = GlyphSet::All;
    uint8_t background = 0; // the palette colour that transparent pixels lie over
    int threads = 0;        // 0: one per processor core
};

// The rows that keep the picture's shape when it is drawn `columns` cells across with cells of
// glyphWidth x glyphHeight pixels, rounded to the nearest and at least 1.
int64_t ArtRows(int pictureWidth, int pictureHeight, int64_t columns, int glyphWidth,
                int glyphHeight);

struct Art {
    std::shared_ptr<tilemap> map;
    // The map rendered as the export renders it, against the picture scaled to the rendering's
    // size.
    ArtQuality quality;
};

// Scales the picture to the request's cells (the cells' pixels in all) in linear light and
// chooses for each cell the glyph of the request's set and the foreground and background that
// render closest to it. The work is spread over the request's threads; progress, told from the
// calling thread, counts the cells done up to kProgressTotal. Fails for a size that is not a
// map's (kMaxMapCells) or a look without glyphs; whatever progress throws ends the work and
// reaches the caller.
Expected<Art> MakeArt(const TPixmap& picture, const ArtLook& look, const ArtRequest& request,
                      const WorkProgress& progress = {});

} // namespace dm
