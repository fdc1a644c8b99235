#include "files/gzip_stream.h"
#include "files/map_limits.h"
#include "files/xp_format.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>
#include <vector>

namespace dm {
namespace {

constexpr int64_t kChunkCells = 4096;

struct LayerSize {
    int32_t w = 0;
    int32_t h = 0;

    bool operator==(const LayerSize&) const = default;
};

std::string SizeText(LayerSize size) {
    return std::to_string(size.w) + " x " + std::to_string(size.h);
}

std::string LayerText(int layer) {
    return "layer " + std::to_string(layer);
}

uint32_t UnsignedAt(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

// An image's refusal says why in a text shown to the user as it stands; a gzip stream that
// is not intact is refused with how.
Failure NotIntact(const Failure& gzip) {
    return Failure{"The .xp image is not an intact gzip stream (" + gzip.why + ")."};
}

Expected<int32_t> ReadInt(GzipReader& gzip, const std::string& field) {
    std::array<uint8_t, 4> bytes{};
    const Expected<int64_t> got = gzip.Read(bytes.data(), 4);
    if (!got) {
        return NotIntact(got.Error());
    }
    if (*got != 4) {
        return Failure{"The .xp image is cut short: it ends before " + field + "."};
    }
    return static_cast<int32_t>(UnsignedAt(bytes.data()));
}

// A layer's cells are only made room for once its size is within the map limits and the rest
// of the input could hold them.
Expected<LayerSize> ReadLayerSize(GzipReader& gzip, int layer) {
    const Expected<int32_t> w = ReadInt(gzip, "the size of " + LayerText(layer));
    if (!w) {
        return w.Error();
    }
    const Expected<int32_t> h = ReadInt(gzip, "the size of " + LayerText(layer));
    if (!h) {
        return h.Error();
    }
    const LayerSize size{*w, *h};
    if (!IsMapSizeAllowed(size.w, size.h)) {
        return Failure{"The size of " + LayerText(layer) + " of the .xp image, " + SizeText(size) +
                       ", is out of range: a map has at least 1 x 1 and at most " +
                       std::to_string(kMaxMapCells) + " cells."};
    }
    const int64_t most = gzip.MostBytesLeft();
    if (most >= 0 && int64_t{size.w} * size.h * kXpCellBytes > most) {
        return Failure{"The .xp image is cut short: " + LayerText(layer) + " declares " +
                       SizeText(size) + " cells, more than the rest of the file can hold."};
    }
    return size;
}

// Hands useCell the position and bytes of every cell of a layer, read column by column a
// chunk at a time; the first cell useCell refuses ends the reading with its reason.
template <typename UseCell>
Outcome ReadCells(GzipReader& gzip, int layer, LayerSize size, UseCell useCell) {
    std::vector<uint8_t> chunk(static_cast<size_t>(kChunkCells * kXpCellBytes));
    const int64_t cells = int64_t{size.w} * size.h;
    int32_t x = 0;
    int32_t y = 0;
    for (int64_t done = 0; done < cells;) {
        const int64_t count = std::min(kChunkCells, cells - done);
        const Expected<int64_t> got = gzip.Read(chunk.data(), count * kXpCellBytes);
        if (!got) {
            return NotIntact(got.Error());
        }
        if (*got != count * kXpCellBytes) {
            return Failure{"The .xp image is cut short: " + LayerText(layer) + " ends after " +
                           std::to_string(done + *got / kXpCellBytes) + " of its " +
                           SizeText(size) + " cells."};
        }
        for (int64_t i = 0; i < count; ++i) {
            if (const Outcome used = useCell(x, y, chunk.data() + i * kXpCellBytes); !used) {
                return used;
            }
            if (++y == size.h) {
                y = 0;
                ++x;
            }
        }
        done += count;
    }
    return {};
}

Expected<std::shared_ptr<tilemap>> ReadImage(TStream& in, const PalettePlanes& palette, int layer) {
    const Expected<std::unique_ptr<GzipReader>> opened = GzipReader::Open(in);
    if (!opened) {
        return NotIntact(opened.Error());
    }
    GzipReader& gzip = **opened;
    const Expected<int32_t> version = ReadInt(gzip, "its version");
    if (!version) {
        return version.Error();
    }
    if (*version >= 0) {
        return Failure{"Unknown .xp version " + std::to_string(*version) +
                       ": the format's versions are negative numbers."};
    }
    const Expected<int32_t> declared = ReadInt(gzip, "its layer count");
    if (!declared) {
        return declared.Error();
    }
    const int32_t layers = *declared;
    if (layers < 1 || layers > kMaxXpLayers) {
        return Failure{"The .xp image declares " + std::to_string(layers) + " layers; 1 to " +
                       std::to_string(kMaxXpLayers) + " are allowed."};
    }
    if (layer >= layers) {
        return Failure{"There is no layer " + std::to_string(layer) + ": the .xp image has " +
                       std::to_string(layers) + (layers == 1 ? " layer" : " layers") +
                       ", counted from 0."};
    }
    const bool flatten = layer < 0;
    const int first = flatten ? 0 : layer;
    const int last = flatten ? layers - 1 : layer;
    for (int skipped = 0; skipped < first; ++skipped) {
        const Expected<LayerSize> size = ReadLayerSize(gzip, skipped);
        if (!size) {
            return size.Error();
        }
        const Outcome read = ReadCells(gzip, skipped, *size,
                                       [](int32_t, int32_t, const uint8_t*) { return Outcome(); });
        if (!read) {
            return read.Error();
        }
    }

    ColorMatcher colors(palette);
    std::shared_ptr<tilemap> map;
    for (int current = first; current <= last; ++current) {
        const Expected<LayerSize> size = ReadLayerSize(gzip, current);
        if (!size) {
            return size.Error();
        }
        if (!map) {
            map = tilemap::Create(size->w, size->h);
        } else if (*size != LayerSize{map->tmapw, map->tmaph}) {
            return Failure{"The layers of the .xp image differ in size (" + LayerText(current) +
                           " is " + SizeText(*size) + ", layer " + std::to_string(first) + " is " +
                           SizeText({map->tmapw, map->tmaph}) +
                           "), so they cannot be flattened; read a single layer instead."};
        }
        const bool bottom = current == first;
        const Outcome read = ReadCells(
            gzip, current, *size, [&](int32_t x, int32_t y, const uint8_t* bytes) -> Outcome {
                const uint32_t glyph = UnsignedAt(bytes);
                if (glyph > 255) {
                    return Failure{"Glyph code " + std::to_string(glyph) + " at cell " +
                                   std::to_string(x) + "," + std::to_string(y) + " of " +
                                   LayerText(current) +
                                   " of the .xp image is above 255; a map holds glyphs 0 to 255."};
                }
                const Rgb fg{bytes[4], bytes[5], bytes[6]};
                const Rgb bg{bytes[7], bytes[8], bytes[9]};
                const bool transparent = bg == kXpTransparent;
                if (transparent && !bottom) {
                    return {};
                }
                map->SetTile(x, y, static_cast<uint8_t>(glyph), colors.Nearest(fg),
                             transparent ? kNoColor : colors.Nearest(bg), 1);
                return {};
            });
        if (!read) {
            return read.Error();
        }
    }
    if (last == layers - 1) {
        // Reading on to the member's end verifies its checksum; bytes after the last layer are
        // left alone.
        uint8_t after = 0;
        if (const Expected<int64_t> end = gzip.Read(&after, 1); !end) {
            return NotIntact(end.Error());
        }
    }
    return map;
}

} // namespace

Expected<std::shared_ptr<tilemap>> ReadXp(TStream& in, const PalettePlanes& palette, int layer) {
    try {
        return ReadImage(in, palette, layer);
    } catch (const std::exception& error) {
        return Failure{std::string("Failed to read the .xp image: ") + error.what()};
    }
}

} // namespace dm
