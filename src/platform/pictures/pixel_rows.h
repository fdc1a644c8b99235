#pragma once

#include <cstdint>

namespace dm {

// Converts count pixels from one pixel format to another. Different formats meet in RGBA8888:
// I8 widens to (g, g, g, 255), A8 to (255, 255, 255, a), the three-byte formats gain alpha 255;
// narrowing gives I8 = (r + g + b) / 3, A8 = alpha, and drops alpha for the three-byte formats.
// Rows of one format are copied as bytes and may overlap; rows of different formats must not.
void ConvertPixelRow(const uint8_t* source, int sourceFormat, uint8_t* target, int targetFormat,
                     int count);

} // namespace dm
