#include "files/gzip_stream.h"
#include "files/xp_format.h"

#include <vector>

namespace dm {
namespace {

constexpr int kXpCompression = 6;
constexpr size_t kChunkBytes = 64 * 1024;

void PutInt(std::vector<uint8_t>& bytes, int64_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<uint8_t>(bits >> shift));
    }
}

void PutColor(std::vector<uint8_t>& bytes, Rgb color) {
    bytes.insert(bytes.end(), {color.red, color.green, color.blue});
}

} // namespace

void WriteXp(const tilemap& map, const PalettePlanes& palette, TStream& out) {
    GzipWriter gzip(out, kXpCompression);
    std::vector<uint8_t> bytes;
    bytes.reserve(kChunkBytes + kXpCellBytes);
    PutInt(bytes, kXpVersion);
    PutInt(bytes, 1);
    PutInt(bytes, map.tmapw);
    PutInt(bytes, map.tmaph);
    const size_t plane = static_cast<size_t>(map.tmapw) * static_cast<size_t>(map.tmaph);
    for (size_t x = 0; x < static_cast<size_t>(map.tmapw); ++x) {
        for (size_t cell = x; cell < plane; cell += static_cast<size_t>(map.tmapw)) {
            const uint8_t fg = map.tmap[plane + cell];
            const uint8_t bg = map.tmap[2 * plane + cell];
            const Rgb back = bg == kNoColor ? kXpTransparent : PaletteColor(palette, bg);
            PutInt(bytes, map.tmap[cell]);
            PutColor(bytes, fg == kNoColor ? back : PaletteColor(palette, fg));
            PutColor(bytes, back);
            if (bytes.size() >= kChunkBytes) {
                gzip.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
                bytes.clear();
            }
        }
    }
    gzip.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    gzip.Finish();
}

} // namespace dm
