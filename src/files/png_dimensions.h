#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace dm {

struct PictureSize {
    int64_t width = 0;
    int64_t height = 0;
};

// The width and height that a PNG file's header chunk announces, read without decoding the
// picture; nullopt when the bytes do not start with the PNG signature and a header chunk.
std::optional<PictureSize> ReadPngDimensions(const std::vector<uint8_t>& png);

} // namespace dm
