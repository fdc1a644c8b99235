#include "files/tilemap_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

// Feeds arbitrary bytes to the tile map file reader, which must refuse or accept them without
// crashing, throwing or allocating without bound; whatever it accepts must have a consistent size.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/dtm_read_fuzz." + std::to_string(getpid()) + ".dtm";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const auto map = dm::Read(path, [](const std::string&, const std::string&) {});
    if (map && map->tmap.size() != 3u * static_cast<size_t>(map->tmapw) * map->tmaph)
        __builtin_trap();
    return 0;
}
