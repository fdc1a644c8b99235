#include "files/png_dimensions.h"

#include <algorithm>
#include <array>

namespace dm {
namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::array<uint8_t, 8> kHeaderChunkStart = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
constexpr size_t kWidthOffset = 16;
constexpr size_t kHeightOffset = 20;

int64_t ReadBigEndian32(const std::vector<uint8_t>& bytes, size_t offset) {
    return int64_t{bytes[offset]} << 24 | int64_t{bytes[offset + 1]} << 16 |
           int64_t{bytes[offset + 2]} << 8 | int64_t{bytes[offset + 3]};
}

} // namespace

std::optional<PictureSize> ReadPngDimensions(const std::vector<uint8_t>& png) {
    if (png.size() < kHeightOffset + 4 ||
        !std::equal(kSignature.begin(), kSignature.end(), png.begin()) ||
        !std::equal(kHeaderChunkStart.begin(), kHeaderChunkStart.end(),
                    png.begin() + kSignature.size())) {
        return std::nullopt;
    }
    return PictureSize{ReadBigEndian32(png, kWidthOffset), ReadBigEndian32(png, kHeightOffset)};
}

} // namespace dm
