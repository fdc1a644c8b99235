#include "png_chunk_features.h"

#include "files/png_body.h"
#include "platform/io/memory_stream.h"
#include "platform/pictures/png_codec.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

bool SameCells(const std::shared_ptr<dm::tilemap>& a, const std::shared_ptr<dm::tilemap>& b) {
    if (!a || !b)
        return a == b;
    return a->tmapw == b->tmapw && a->tmaph == b->tmaph && a->tmap == b->tmap;
}

// The map a picture decodes to must encode to a picture that decodes to the same map again.
void CheckRoundTrip(const dm::tilemap& map, int32_t scramble, dm::RandomGenerator& random) {
    const auto picture = dm::EncodePNG(map, scramble, random);
    if (!picture || !SameCells(dm::DecodePNG(*picture, scramble, random), map.Copy()))
        __builtin_trap();
}

} // namespace

// Feeds arbitrary bytes to the map picture decoder, plain and scrambled. The plain decoder reads
// RGB pictures band by band and everything else through the whole picture; both paths must agree
// with decoding the loaded picture, and every decoded map must survive encoding again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    dm::TMemoryStream stream(bytes);
    const std::shared_ptr<dm::TPixmap> picture = dm::LoadPixmap(stream);
    dm::fuzz::RecordPngFeatures(data, size, picture != nullptr);
    dm::RandomGenerator random;
    for (const int32_t scramble : {0, 1}) {
        const std::shared_ptr<dm::tilemap> map = dm::DecodePNG(bytes, scramble, random);
        const std::shared_ptr<dm::tilemap> fromPicture =
            picture ? dm::DecodePNG(*picture, scramble, random) : nullptr;
        if (!SameCells(map, fromPicture))
            __builtin_trap();
        if (map)
            CheckRoundTrip(*map, scramble, random);
    }
    return 0;
}
