#include "files/rle_body.h"

#include <algorithm>
#include <cstddef>

namespace dm {

namespace {

// Calls emit(count, value) for each run of the cell array in order. A run ends at a change of
// value, after 256 equal bytes, or at the end of the array.
template <typename Emit>
void ForEachRun(const std::vector<uint8_t>& cells, Emit emit) {
    const size_t n = cells.size();
    size_t start = 0;
    while (start < n) {
        const uint8_t value = cells[start];
        size_t end = start + 1;
        while (end < n && end - start < 256 && cells[end] == value) {
            ++end;
        }
        emit(static_cast<uint8_t>(end - start - 1), value);
        start = end;
    }
}

} // namespace

void WriteRLE(const tilemap& map, TStream& out) {
    out.WriteString("DMTR");
    out.WriteInt(map.tmapw);
    out.WriteInt(map.tmaph);
    out.WriteInt(map.GetChecksum());
    ForEachRun(map.tmap, [&out](uint8_t count, uint8_t value) {
        out.WriteByte(count);
        out.WriteByte(value);
    });
    out.WriteString("EOF");
}

int64_t rlesize(const tilemap& map) {
    int64_t size = 0;
    ForEachRun(map.tmap, [&size](uint8_t, uint8_t) { size += 2; });
    return size;
}

RleDecodeResult ReadRLE(TStream& in, tilemap& map) {
    const size_t n = map.tmap.size();
    size_t sum = 0;
    try {
        while (sum < n) {
            const size_t length = static_cast<size_t>(in.ReadByte()) + 1;
            const uint8_t value = static_cast<uint8_t>(in.ReadByte());
            if (length > n - sum) {
                return RleDecodeResult::RunPastEnd;
            }
            std::fill_n(map.tmap.begin() + static_cast<ptrdiff_t>(sum), length, value);
            sum += length;
        }
    } catch (const TStreamReadException&) {
        return RleDecodeResult::EndOfStream;
    }
    return RleDecodeResult::Complete;
}

} // namespace dm
