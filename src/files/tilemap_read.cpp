#include "files/map_limits.h"
#include "files/png_body.h"
#include "files/png_dimensions.h"
#include "files/rle_body.h"
#include "files/tilemap_file.h"
#include "platform/io/memory_stream.h"
#include "platform/io/open_stream.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace dm {
namespace {

const char* const kUnexpectedEnd = kRleCutShort;
const char* const kNoMemory = "Not enough memory to read the tilemap file.";

// A save embeds a picture only when it is smaller than the cell array; twice the largest cell
// array leaves room for pictures written by other encoders and still bounds the allocation.
constexpr int64_t kMaxPngBodyBytes = 2 * 3 * kMaxMapCells;

// A file's refusal says why in a text shown to the user as it stands.
using ReadMap = Expected<std::shared_ptr<tilemap>>;

Outcome CheckAllowedSize(int64_t w, int64_t h) {
    if (!IsMapSizeAllowed(w, h)) {
        return Failure{"Tilemap size " + std::to_string(w) + " x " + std::to_string(h) +
                       " is out of range: a map has at least 1 x 1 and at most " +
                       std::to_string(kMaxMapCells) + " cells."};
    }
    return {};
}

// At most `limit` of the bytes left in the stream, so that a body is read in one call without
// trusting the file to be as long as it claims.
std::vector<uint8_t> ReadAtMost(TStream& in, int64_t limit) {
    const int64_t left = std::max<int64_t>(0, in.Size() - in.Pos());
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min(left, limit)));
    in.ReadBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

// The map, once the trailer after it is found.
ReadMap ReadTrailer(TStream& in, std::shared_ptr<tilemap> map) {
    const std::string trailer = in.ReadString(3);
    if (trailer != "EOF") {
        return Failure{"Did not encounter expected EOF, encountered " + trailer + " instead."};
    }
    return map;
}

// The body must be followed by the trailer, so a file that ends right after the cells is
// already short.
ReadMap ReadUncompressed(TStream& in, int32_t w, int32_t h) {
    if (const Outcome allowed = CheckAllowedSize(w, h); !allowed) {
        return allowed.Error();
    }
    const int64_t cells = int64_t{w} * h * 3;
    TMemoryStream rest(ReadAtMost(in, cells + 3));
    if (rest.Size() <= cells) {
        return Failure{kUnexpectedEnd};
    }
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    rest.ReadBytes(map->tmap.data(), cells);
    return ReadTrailer(rest, std::move(map));
}

// The runs are decoded straight from the file: ReadRLE reads no further than the runs it needs.
ReadMap ReadRunLength(TStream& in, int32_t w, int32_t h) {
    if (const Outcome allowed = CheckAllowedSize(w, h); !allowed) {
        return allowed.Error();
    }
    const int64_t cells = int64_t{w} * h * 3;
    // Nor can fewer than two bytes per 256 cells cover them: a short file is refused before
    // the map is allocated.
    if (in.Size() - in.Pos() < (cells + 255) / 256 * 2) {
        return Failure{kUnexpectedEnd};
    }
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    if (const Outcome decoded = ReadRLE(in, *map); !decoded) {
        return decoded.Error();
    }
    return ReadTrailer(in, std::move(map));
}

// The header's width and height are not used: the map takes the picture's own size.
ReadMap ReadPicture(TStream& in) {
    const double length = in.ReadDouble();
    if (std::isnan(length) || length < 0) {
        return Failure{"The embedded PNG image has an invalid length."};
    }
    const double left = static_cast<double>(std::max<int64_t>(0, in.Size() - in.Pos()));
    if (length >= left + 1) {
        return Failure{kUnexpectedEnd};
    }
    const auto byteCount = static_cast<int64_t>(length);
    if (byteCount > kMaxPngBodyBytes) {
        return Failure{"The embedded PNG image is too large."};
    }
    std::vector<uint8_t> png(static_cast<size_t>(byteCount));
    in.ReadBytes(png.data(), byteCount);
    if (const std::optional<PictureSize> size = ReadPngDimensions(png)) {
        if (const Outcome allowed = CheckAllowedSize(size->width, size->height); !allowed) {
            return allowed.Error();
        }
    }
    std::shared_ptr<tilemap> map = DecodeUnscrambledPNG(std::move(png));
    if (!map) {
        return Failure{"The embedded PNG image could not be decoded."};
    }
    return ReadTrailer(in, std::move(map));
}

ReadMap ReadBody(TStream& in, const std::string& magic, int32_t width, int32_t height) {
    if (magic == "DMTP") {
        return ReadPicture(in);
    }
    if (magic == "DMTR") {
        return ReadRunLength(in, width, height);
    }
    if (magic == "DMTM") {
        return ReadUncompressed(in, width, height);
    }
    return Failure{"Unrecognized file header!"};
}

// A read past the end of the stream throws TStreamReadException.
Expected<LoadedTilemap> ReadOpenFile(TStream& in) {
    const std::string magic = in.ReadString(4);
    const int32_t width = in.ReadInt();
    const int32_t height = in.ReadInt();
    const int32_t checksum = in.ReadInt();
    ReadMap map = ReadBody(in, magic, width, height);
    if (!map) {
        return map.Error();
    }
    if ((*map)->GetChecksum() != checksum) {
        return Failure{"File checksum indicates a tampered-with tilemap file; refusing to open."};
    }
    return LoadedTilemap{std::move(*map), magic};
}

} // namespace

Expected<std::shared_ptr<TStream>> OpenTilemapFile(const std::string& path) {
    try {
        return OpenReadStream(path);
    } catch (const std::bad_alloc&) {
        return Failure{kNoMemory};
    }
}

Expected<LoadedTilemap> ReadTilemapStream(TStream& in) {
    std::string refusal;
    try {
        Expected<LoadedTilemap> loaded = ReadOpenFile(in);
        if (loaded) {
            in.Close();
            return loaded;
        }
        refusal = loaded.Why();
    } catch (const TStreamReadException&) {
        refusal = kUnexpectedEnd;
    } catch (const std::bad_alloc&) {
        refusal = kNoMemory;
    } catch (const std::exception& error) {
        refusal = std::string("Failed to read the tilemap file: ") + error.what();
    }
    try {
        in.Close();
    } catch (const TStreamException&) {
        // Nothing was written; closing a file opened for reading loses nothing.
    }
    return Failure{refusal};
}

std::shared_ptr<tilemap> Read(const std::string& path, const MessageCallback& report) {
    const Expected<std::shared_ptr<TStream>> stream = OpenTilemapFile(path);
    if (stream && !*stream) {
        return nullptr;
    }
    Expected<LoadedTilemap> loaded = stream ? ReadTilemapStream(**stream) : stream.Error();
    if (!loaded) {
        if (report) {
            report(kReadRefusalTitle, loaded.Why());
        }
        return nullptr;
    }
    return loaded->map;
}

} // namespace dm
