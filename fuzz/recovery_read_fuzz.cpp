#include "files/map_limits.h"
#include "files/recovery_file.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Feeds arbitrary bytes to the recovery file reader, which must refuse or accept them without
// crashing, throwing or allocating without bound. Inputs that start like a recovery file get
// their check sum made again first, so that mutations reach the fields behind it. Whatever is
// accepted must have an allowed size and come back unchanged through the writer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    constexpr size_t kMagic = 8;
    constexpr size_t kCheckAndTrailer = 7;
    if (size >= kMagic + kCheckAndTrailer && std::memcmp(data, dm::kRecoveryMagic, kMagic) == 0) {
        const size_t body = size - kCheckAndTrailer;
        const auto crc = static_cast<uint32_t>(crc32(0, data, static_cast<uInt>(body)));
        for (int i = 0; i < 4; ++i)
            bytes[body + i] = static_cast<uint8_t>(crc >> (8 * i));
    }
    const dm::Expected<dm::RecoveryRecord> read = dm::DecodeRecovery(bytes);
    if (!read)
        return 0;
    const dm::tilemap& map = *read->image;
    if (!dm::IsMapSizeAllowed(map.tmapw, map.tmaph) ||
        map.tmap.size() != 3u * static_cast<size_t>(map.tmapw) * map.tmaph ||
        read->path.size() > static_cast<size_t>(dm::kMaxRecoveryText))
        __builtin_trap();
    const dm::Expected<dm::RecoveryRecord> again = dm::DecodeRecovery(dm::EncodeRecovery(*read));
    if (!again || again->path != read->path || again->filePath != read->filePath ||
        again->image->tmapw != map.tmapw || again->image->tmap != map.tmap)
        __builtin_trap();
    return 0;
}
