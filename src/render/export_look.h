#pragma once

#include "files/image_export.h"
#include "render/display.h"

namespace dm {

// The look of exported pictures taken from the display's configuration, tileset and palette.
ExportLook MakeExportLook(const Display& display);

} // namespace dm
