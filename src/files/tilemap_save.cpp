#include "files/map_limits.h"
#include "files/png_body.h"
#include "files/rle_body.h"
#include "files/tilemap_file.h"
#include "files/whole_file.h"
#include "platform/io/print_line.h"

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace dm {
namespace {

// The sizes of the three possible bodies, without header, length field or trailer.
void PrintStatistics(int64_t uncompressed, int64_t rle, int64_t png) {
    PrintLine("FILE SIZE STATISTICS: (excl. extra information)");
    PrintLine("Uncompressed: " + std::to_string(uncompressed) + " bytes");
    PrintLine("RLE compression: " + std::to_string(rle) + " bytes");
    PrintLine("PNG compression: " + std::to_string(png) + " bytes");
}

// Writes the whole file image with the smaller body; ties, and a picture that cannot be encoded,
// go to the run-length body, which always succeeds.
void WriteSmallerBody(const tilemap& map, TStream& out) {
    const int64_t cells = int64_t{map.tmapw} * map.tmaph * 3;
    const std::vector<uint8_t> runs = EncodeRuns(map);
    const auto rle = static_cast<int64_t>(runs.size());
    const std::optional<std::vector<uint8_t>> png = EncodeUnscrambledPNGBytes(map);
    const int64_t png_size = png ? static_cast<int64_t>(png->size()) : -1;
    PrintStatistics(cells, rle, png_size);

    if (png && png_size < rle && png_size < cells) {
        WritePNG(map, out, *png);
    } else {
        WriteRLE(map, out, runs);
    }
}

// Only maps that Read accepts again are written, so a save never produces a file that cannot be
// opened.
bool IsSaveable(const tilemap& map) {
    return IsMapSizeAllowed(map.tmapw, map.tmaph) &&
           map.tmap.size() == static_cast<size_t>(int64_t{map.tmapw} * map.tmaph * 3);
}

} // namespace

Outcome SaveTilemap(const tilemap& map, const std::string& path) {
    if (!IsSaveable(map)) {
        return Failure{"a map of " + std::to_string(map.tmapw) + " x " + std::to_string(map.tmaph) +
                       " cells cannot be saved"};
    }
    try {
        return WriteWholeFile(path, [&map](TStream& out) { WriteSmallerBody(map, out); });
    } catch (const std::bad_alloc&) {
        return Failure{"not enough memory"};
    } catch (const std::exception& error) {
        return Failure{error.what()};
    }
}

int32_t Save(const tilemap& map, const std::string& path) {
    return SaveTilemap(map, path) ? 1 : 0;
}

} // namespace dm
