#include "render/palette.h"

#include "platform/drawing/graphics.h"
#include "platform/fatal_error.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"

namespace dm {

Palette LoadPalette(const std::string& path, const DisplayConfig& config) {
    const std::string& palettePath = path == kUseDefaultPath ? config.pallet : path;
    const std::shared_ptr<TPixmap> image = LoadPixmap(ResourcePath(config, palettePath));
    if (!image) {
        throw FatalError("Failed to load " + palettePath);
    }
    if (int64_t{image->width} * image->height > kPaletteEntries) {
        throw FatalError("Too many colors in pallet " + palettePath +
                         ", 256 is the proper amount.");
    }
    Palette palette;
    int index = 0;
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x, ++index) {
            const uint32_t argb = image->ReadPixel(x, y);
            palette.planes[index] = static_cast<uint8_t>(argb >> 16);
            palette.planes[kPaletteEntries + index] = static_cast<uint8_t>(argb >> 8);
            palette.planes[2 * kPaletteEntries + index] = static_cast<uint8_t>(argb);
        }
    }
    return palette;
}

int PaletteBrightness(const Palette& palette, uint8_t index) {
    return (palette.Red(index) + palette.Green(index) + palette.Blue(index)) / 3;
}

void SetPaletteColor(const Palette& palette, uint8_t index) {
    SetColor(palette.Red(index), palette.Green(index), palette.Blue(index));
}

} // namespace dm
