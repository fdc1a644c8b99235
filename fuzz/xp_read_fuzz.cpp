#include "files/gzip_stream.h"
#include "files/map_limits.h"
#include "files/xp_format.h"
#include "platform/io/memory_stream.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Entry i is grey (i, i, i): every entry below 255 is distinct.
dm::PalettePlanes GreyPalette() {
    dm::PalettePlanes palette{};
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<uint8_t>(i % 256);
    return palette;
}

std::shared_ptr<dm::tilemap> ReadBytes(std::vector<uint8_t> bytes, int layer) {
    static const dm::PalettePlanes palette = GreyPalette();
    dm::TMemoryStream in(std::move(bytes));
    dm::Expected<std::shared_ptr<dm::tilemap>> map = dm::ReadXp(in, palette, layer);
    return map ? std::move(*map) : nullptr;
}

} // namespace

// Feeds arbitrary bytes to the .xp reader, flattening all layers and picking layer 1, which must
// refuse or accept them without crashing, throwing or allocating without bound. Bytes that do
// not start like gzip are compressed first, so that mutations reach the image's own fields and
// not only the gzip layer. A map read never has foreground 255, so writing it and reading it
// back must give the same cells.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    if (size < 2 || data[0] != 0x1F || data[1] != 0x8B) {
        dm::TMemoryStream packed;
        dm::GzipWriter gzip(packed, 1);
        gzip.Write(data, static_cast<int64_t>(size));
        gzip.Finish();
        bytes = packed.TakeBytes();
    }
    for (const int layer : {dm::kXpAllLayers, 1}) {
        const auto map = ReadBytes(bytes, layer);
        if (!map)
            continue;
        const int64_t cells = int64_t{map->tmapw} * map->tmaph;
        if (cells > dm::kMaxMapCells || map->tmap.size() != 3u * static_cast<size_t>(cells))
            __builtin_trap();
        dm::TMemoryStream written;
        dm::WriteXp(*map, GreyPalette(), written);
        const auto again = ReadBytes(written.TakeBytes(), dm::kXpAllLayers);
        if (!again || again->tmapw != map->tmapw || again->tmap != map->tmap)
            __builtin_trap();
    }
    return 0;
}
