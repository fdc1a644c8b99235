#include "files/recovery_file.h"

#include "files/map_limits.h"
#include "files/rle_body.h"
#include "files/whole_file.h"
#include "platform/io/c_stream.h"
#include "platform/io/memory_stream.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string_view>

namespace dm {
namespace {

constexpr int64_t kMagicBytes = 8;
constexpr int64_t kCheckBytes = 4;
constexpr int64_t kTrailerBytes = 3;
// Magic, version, width, height and the three lengths.
constexpr int64_t kFixedBytes = kMagicBytes + 6 * 4 + kCheckBytes + kTrailerBytes;
// A run covers at least one byte of the three a cell has.
constexpr int64_t kLargestFile = kFixedBytes + 2 * int64_t{kMaxRecoveryText} + 6 * kMaxMapCells;

const char* const kNotOurs = "not a recovery file";
const char* const kDamaged = "the file is cut short or damaged";

uint32_t Crc32(const uint8_t* bytes, int64_t count) {
    uLong crc = crc32(0L, Z_NULL, 0);
    while (count > 0) {
        const auto chunk = static_cast<uInt>(std::min<int64_t>(count, 1 << 30));
        crc = crc32(crc, bytes, chunk);
        bytes += chunk;
        count -= chunk;
    }
    return static_cast<uint32_t>(crc);
}

void WriteText(TStream& out, const std::string& text) {
    out.WriteInt(static_cast<int32_t>(text.size()));
    out.WriteString(text);
}

// A text of the file, or none when its length is impossible.
std::optional<std::string> ReadText(TStream& in, int64_t end) {
    const int32_t length = in.ReadInt();
    if (length < 0 || length > kMaxRecoveryText || length > end - in.Pos()) {
        return std::nullopt;
    }
    return in.ReadString(length);
}

bool HasRecoveryMagic(const std::vector<uint8_t>& bytes, int64_t count) {
    return count >= kMagicBytes && std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                    kMagicBytes) == kRecoveryMagic;
}

Expected<RecoveryRecord> DecodeChecked(TMemoryStream& in, int64_t bodyEnd) {
    if (in.ReadInt() != kRecoveryVersion) {
        return Failure{"written by another version of the program"};
    }
    const int32_t width = in.ReadInt();
    const int32_t height = in.ReadInt();
    std::optional<std::string> path = ReadText(in, bodyEnd);
    std::optional<std::string> filePath = path ? ReadText(in, bodyEnd) : std::nullopt;
    if (!filePath || !IsMapSizeAllowed(width, height)) {
        return Failure{kDamaged};
    }
    // Nor can fewer than two bytes per 256 cells cover them: such a body is refused before the
    // map is allocated.
    const int32_t runBytes = in.ReadInt();
    if (runBytes != bodyEnd - in.Pos() ||
        runBytes < (int64_t{width} * height * 3 + 255) / 256 * 2) {
        return Failure{kDamaged};
    }
    std::shared_ptr<tilemap> image = tilemap::Create(width, height);
    if (!ReadRLE(in, *image) || in.Pos() != bodyEnd) {
        return Failure{kDamaged};
    }
    return RecoveryRecord{std::move(*path), std::move(*filePath), std::move(image)};
}

} // namespace

std::vector<uint8_t> EncodeRecovery(const RecoveryRecord& record) {
    const tilemap& image = *record.image;
    const std::vector<uint8_t> runs = EncodeRuns(image);
    TMemoryStream out;
    out.WriteString(kRecoveryMagic);
    out.WriteInt(kRecoveryVersion);
    out.WriteInt(image.tmapw);
    out.WriteInt(image.tmaph);
    WriteText(out, record.path);
    WriteText(out, record.filePath);
    out.WriteInt(static_cast<int32_t>(runs.size()));
    out.WriteBytes(runs.data(), static_cast<int64_t>(runs.size()));
    out.WriteInt(static_cast<int32_t>(Crc32(out.Bytes().data(), out.Size())));
    out.WriteString("EOF");
    return out.TakeBytes();
}

Expected<RecoveryRecord> DecodeRecovery(std::vector<uint8_t> bytes) {
    const auto size = static_cast<int64_t>(bytes.size());
    if (!HasRecoveryMagic(bytes, size)) {
        return Failure{kNotOurs};
    }
    const int64_t bodyEnd = size - kCheckBytes - kTrailerBytes;
    if (size < kFixedBytes ||
        std::string_view(reinterpret_cast<const char*>(bytes.data()) + size - kTrailerBytes,
                         kTrailerBytes) != "EOF") {
        return Failure{kDamaged};
    }
    const uint32_t crc = Crc32(bytes.data(), bodyEnd);
    TMemoryStream in(std::move(bytes));
    in.Seek(bodyEnd);
    if (static_cast<uint32_t>(in.ReadInt()) != crc) {
        return Failure{kDamaged};
    }
    in.Seek(kMagicBytes);
    try {
        return DecodeChecked(in, bodyEnd);
    } catch (const TStreamReadException&) {
        return Failure{kDamaged};
    } catch (const std::bad_alloc&) {
        return Failure{kNoMemoryToRead};
    }
}

Outcome WriteRecoveryFile(const RecoveryRecord& record, const std::string& destination) {
    try {
        const std::vector<uint8_t> bytes = EncodeRecovery(record);
        return WriteWholeFile(destination, [&bytes](TStream& out) {
            out.WriteBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
        });
    } catch (const std::bad_alloc&) {
        return Failure{"not enough memory"};
    } catch (const std::exception& error) {
        return Failure{error.what()};
    }
}

Expected<RecoveryRecord> ReadRecoveryFile(const std::string& path) {
    errno = 0;
    const std::shared_ptr<TCStream> in = TCStream::OpenFile(path, true, false);
    if (!in) {
        return Failure{std::strerror(errno != 0 ? errno : EIO)};
    }
    try {
        const int64_t size = in->Size();
        // A foreign file is told by its first bytes, however long it is.
        std::vector<uint8_t> bytes(static_cast<size_t>(std::min(size, kLargestFile)));
        const int64_t head = std::min(size, kMagicBytes);
        in->ReadBytes(bytes.data(), head);
        if (!HasRecoveryMagic(bytes, head)) {
            return Failure{kNotOurs};
        }
        if (size > kLargestFile) {
            return Failure{kDamaged};
        }
        in->ReadBytes(bytes.data() + head, size - head);
        in->Close();
        return DecodeRecovery(std::move(bytes));
    } catch (const std::bad_alloc&) {
        return Failure{kNoMemoryToRead};
    } catch (const TStreamException&) {
        return Failure{kDamaged};
    }
}

} // namespace dm
