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

const char* const kTitle = "Error!";
const char* const kUnexpectedEnd = "Encountered unexpected end of file.";

// A save embeds a picture only when it is smaller than the cell array; twice the largest cell
// array leaves room for pictures written by other encoders and still bounds the allocation.
constexpr int64_t kMaxPngBodyBytes = 2 * 3 * kMaxMapCells;

// Why a file is refused; the text is shown to the user as it stands.
struct Refusal {
    std::string text;
};

void RequireAllowedSize(int64_t w, int64_t h) {
    if (!IsMapSizeAllowed(w, h)) {
        throw Refusal{"Tilemap size " + std::to_string(w) + " x " + std::to_string(h) +
                      " is out of range: a map has at least 1 x 1 and at most " +
                      std::to_string(kMaxMapCells) + " cells."};
    }
}

// At most `limit` of the bytes left in the stream, so that a body is read in one call without
// trusting the file to be as long as it claims.
std::vector<uint8_t> ReadAtMost(TStream& in, int64_t limit) {
    const int64_t left = std::max<int64_t>(0, in.Size() - in.Pos());
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min(left, limit)));
    in.ReadBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

void ReadTrailer(TStream& in) {
    const std::string trailer = in.ReadString(3);
    if (trailer != "EOF") {
        throw Refusal{"Did not encounter expected EOF, encountered " + trailer + " instead."};
    }
}

// The body must be followed by the trailer, so a file that ends right after the cells is
// already short.
std::shared_ptr<tilemap> ReadUncompressed(TStream& in, int32_t w, int32_t h) {
    RequireAllowedSize(w, h);
    const int64_t cells = int64_t{w} * h * 3;
    TMemoryStream rest(ReadAtMost(in, cells + 3));
    if (rest.Size() <= cells) {
        throw Refusal{kUnexpectedEnd};
    }
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    rest.ReadBytes(map->tmap.data(), cells);
    ReadTrailer(rest);
    return map;
}

// The runs are decoded straight from the file: ReadRLE reads no further than the runs it needs.
std::shared_ptr<tilemap> ReadRunLength(TStream& in, int32_t w, int32_t h) {
    RequireAllowedSize(w, h);
    const int64_t cells = int64_t{w} * h * 3;
    // Nor can fewer than two bytes per 256 cells cover them: a short file is refused before
    // the map is allocated.
    if (in.Size() - in.Pos() < (cells + 255) / 256 * 2) {
        throw Refusal{kUnexpectedEnd};
    }
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    switch (ReadRLE(in, *map)) {
    case RleDecodeResult::Complete:
        break;
    case RleDecodeResult::RunPastEnd:
        throw Refusal{"The run-length data runs past the end of the map; the file is damaged."};
    case RleDecodeResult::EndOfStream:
        throw Refusal{kUnexpectedEnd};
    }
    ReadTrailer(in);
    return map;
}

// The header's width and height are not used: the map takes the picture's own size.
std::shared_ptr<tilemap> ReadPicture(TStream& in) {
    const double length = in.ReadDouble();
    if (std::isnan(length) || length < 0) {
        throw Refusal{"The embedded PNG image has an invalid length."};
    }
    const double left = static_cast<double>(std::max<int64_t>(0, in.Size() - in.Pos()));
    if (length >= left + 1) {
        throw Refusal{kUnexpectedEnd};
    }
    const auto byteCount = static_cast<int64_t>(length);
    if (byteCount > kMaxPngBodyBytes) {
        throw Refusal{"The embedded PNG image is too large."};
    }
    std::vector<uint8_t> png(static_cast<size_t>(byteCount));
    in.ReadBytes(png.data(), byteCount);
    if (const std::optional<PictureSize> size = ReadPngDimensions(png)) {
        RequireAllowedSize(size->width, size->height);
    }
    std::shared_ptr<tilemap> map = DecodeUnscrambledPNG(std::move(png));
    if (!map) {
        throw Refusal{"The embedded PNG image could not be decoded."};
    }
    ReadTrailer(in);
    return map;
}

LoadedTilemap ReadOpenFile(TStream& in) {
    const std::string magic = in.ReadString(4);
    const int32_t width = in.ReadInt();
    const int32_t height = in.ReadInt();
    const int32_t checksum = in.ReadInt();
    std::shared_ptr<tilemap> map;
    if (magic == "DMTP") {
        map = ReadPicture(in);
    } else if (magic == "DMTR") {
        map = ReadRunLength(in, width, height);
    } else if (magic == "DMTM") {
        map = ReadUncompressed(in, width, height);
    } else {
        throw Refusal{"Unrecognized file header!"};
    }
    if (map->GetChecksum() != checksum) {
        throw Refusal{"File checksum indicates a tampered-with tilemap file; refusing to open."};
    }
    return {map, magic};
}

} // namespace

LoadedTilemap ReadTilemapFile(const std::string& path, const MessageCallback& report) {
    std::shared_ptr<TStream> stream;
    std::string refusal;
    try {
        stream = OpenReadStream(path);
        if (!stream) {
            return {};
        }
        LoadedTilemap loaded = ReadOpenFile(*stream);
        stream->Close();
        return loaded;
    } catch (const Refusal& refused) {
        refusal = refused.text;
    } catch (const TStreamReadException&) {
        refusal = kUnexpectedEnd;
    } catch (const std::bad_alloc&) {
        refusal = "Not enough memory to read the tilemap file.";
    } catch (const std::exception& error) {
        refusal = std::string("Failed to read the tilemap file: ") + error.what();
    }
    if (stream) {
        try {
            stream->Close();
        } catch (const TStreamException&) {
            // Nothing was written; closing a file opened for reading loses nothing.
        }
    }
    if (report) {
        report(kTitle, refusal);
    }
    return {};
}

std::shared_ptr<tilemap> Read(const std::string& path, const MessageCallback& report) {
    return ReadTilemapFile(path, report).map;
}

} // namespace dm
