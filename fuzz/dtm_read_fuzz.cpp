#include "input_file.h"
#include "png_chunk_features.h"

#include "files/map_limits.h"
#include "files/rle_body.h"
#include "files/tilemap_file.h"
#include "platform/io/memory_stream.h"
#include "platform/io/open_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The map read from the file; a null map when it is refused.
dm::LoadedTilemap ReadFile(const std::string& path) {
    const std::shared_ptr<dm::TStream> stream = dm::OpenReadStream(path);
    if (!stream)
        return {};
    dm::Expected<dm::LoadedTilemap> loaded = dm::ReadTilemapStream(*stream);
    return loaded ? std::move(*loaded) : dm::LoadedTilemap{};
}

} // namespace

// Feeds arbitrary bytes to the tile map file reader (all three bodies), which must refuse or
// accept them without crashing, throwing or allocating without bound. Whatever it accepts must
// have an allowed, consistent size and come back unchanged through the run-length body.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = dm::fuzz::WriteInputFile(data, size);
    if (path.empty())
        return 0;
    const dm::LoadedTilemap loaded = ReadFile(path);
    // A picture body starts after the magic, three integers and its length.
    constexpr size_t kPictureBodyStart = 24;
    if (size > kPictureBodyStart && std::memcmp(data, "DMTP", 4) == 0)
        dm::fuzz::RecordPngFeatures(data + kPictureBodyStart, size - kPictureBodyStart,
                                    loaded.map != nullptr);
    if (!loaded.map)
        return 0;
    const dm::tilemap& map = *loaded.map;
    if ((loaded.format != "DMTM" && loaded.format != "DMTR" && loaded.format != "DMTP") ||
        !dm::IsMapSizeAllowed(map.tmapw, map.tmaph) ||
        map.tmap.size() != 3u * static_cast<size_t>(map.tmapw) * map.tmaph)
        __builtin_trap();

    dm::TMemoryStream rle;
    dm::WriteRLE(map, rle);
    const std::vector<uint8_t>& bytes = rle.Bytes();
    const std::string again = dm::fuzz::WriteInputFile(bytes.data(), bytes.size());
    const dm::LoadedTilemap reread = ReadFile(again);
    if (!reread.map || reread.format != "DMTR" || reread.map->tmapw != map.tmapw ||
        reread.map->tmaph != map.tmaph || reread.map->tmap != map.tmap)
        __builtin_trap();
    return 0;
}
