#include "png_chunk_features.h"

#include "platform/io/memory_stream.h"
#include "platform/pictures/png_codec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Pictures up to this many pixels are checked through a save and load; larger ones would slow the
// fuzzer down without reaching other code.
constexpr int64_t kMostCheckedPixels = 1 << 16;

// Feeds arbitrary bytes to the PNG loader. Whatever loads must survive a save and load unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    dm::TMemoryStream input(std::vector<uint8_t>(data, data + size));
    const auto pixmap = dm::LoadPixmap(input);
    dm::fuzz::RecordPngFeatures(data, size, pixmap != nullptr);
    if (!pixmap || static_cast<int64_t>(pixmap->width) * pixmap->height > kMostCheckedPixels)
        return 0;

    dm::TMemoryStream encoded;
    if (!dm::WritePixmapPNG(*pixmap, encoded, 1))
        __builtin_trap();
    encoded.Seek(0);
    const auto again = dm::LoadPixmap(encoded);
    if (!again || again->width != pixmap->width || again->height != pixmap->height ||
        again->format != pixmap->format)
        __builtin_trap();
    for (int y = 0; y < pixmap->height; ++y)
        for (int x = 0; x < pixmap->width; ++x)
            if (again->ReadPixel(x, y) != pixmap->ReadPixel(x, y))
                __builtin_trap();
    return 0;
}
