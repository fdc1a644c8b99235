#pragma once

#include "files/palette_planes.h"
#include "render/display_config.h"

#include <cstdint>
#include <string>

namespace dm {

// 256 colours as three planes: red at bytes 0-255, green at 256-511, blue at 512-767.
// Entries the palette image does not reach stay black.
struct Palette {
    PalettePlanes planes{};

    uint8_t Red(uint8_t index) const { return planes[index]; }
    uint8_t Green(uint8_t index) const { return planes[kPaletteEntries + index]; }
    uint8_t Blue(uint8_t index) const { return planes[2 * kPaletteEntries + index]; }
};

// Reads the palette image at the configured path (kUseDefaultPath: config.pallet; backslashes
// separate folders; a relative path is taken from config.resourceFolder) pixel by pixel, rows from
// the top, into consecutive entries; alpha is ignored. Throws FatalError when the image cannot be
// loaded or holds more than 256 pixels.
Palette LoadPalette(const std::string& path, const DisplayConfig& config);

// (red + green + blue) / 3 of an entry.
int PaletteBrightness(const Palette& palette, uint8_t index);

// Makes the colour of an entry the drawing colour.
void SetPaletteColor(const Palette& palette, uint8_t index);

} // namespace dm
