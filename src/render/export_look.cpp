#include "render/export_look.h"

#include "platform/io/paths.h"

namespace dm {

ExportLook MakeExportLook(const Display& display) {
    ExportLook look;
    look.tilesetPath = PathFromBackslashes(display.config.tileset);
    look.resourceFolder = display.config.resourceFolder;
    look.GlyphWidth = display.tileset.GlyphWidth;
    look.GlyphHeight = display.tileset.GlyphHeight;
    look.palette = display.palette.planes;
    return look;
}

} // namespace dm
