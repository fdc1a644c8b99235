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

// Reads up to `count` bytes, fewer only where the stream ends or fails.
size_t ReadUpTo(TStream& in, uint8_t* buffer, size_t count) {
    size_t got = 0;
    while (got < count) {
        const int64_t moved = in.Read(buffer + got, static_cast<int64_t>(count - got));
        if (moved <= 0) {
            break;
        }
        got += static_cast<size_t>(moved);
    }
    return got;
}

} // namespace

std::vector<uint8_t> EncodeRuns(const tilemap& map) {
    std::vector<uint8_t> runs;
    // Address space for the longest body, taken once: pages stay untouched until runs reach them.
    runs.reserve(2 * map.tmap.size());
    ForEachRun(map.tmap, [&runs](uint8_t count, uint8_t value) {
        runs.push_back(count);
        runs.push_back(value);
    });
    return runs;
}

void WriteRLE(const tilemap& map, TStream& out, const std::vector<uint8_t>& runs) {
    out.WriteString("DMTR");
    out.WriteInt(map.tmapw);
    out.WriteInt(map.tmaph);
    out.WriteInt(map.GetChecksum());
    out.WriteBytes(runs.data(), static_cast<int64_t>(runs.size()));
    out.WriteString("EOF");
}

void WriteRLE(const tilemap& map, TStream& out) {
    WriteRLE(map, out, EncodeRuns(map));
}

int64_t rlesize(const tilemap& map) {
    int64_t size = 0;
    ForEachRun(map.tmap, [&size](uint8_t, uint8_t) { size += 2; });
    return size;
}

Outcome ReadRLE(TStream& in, tilemap& map) {
    const size_t n = map.tmap.size();
    size_t sum = 0;
    std::vector<uint8_t> block;
    while (sum < n) {
        // A run covers at most 256 cells, so at least this many more runs are needed: reading
        // them in one block never takes a byte past the body.
        const size_t wanted = 2 * ((n - sum + 255) / 256);
        block.resize(wanted);
        const size_t got = ReadUpTo(in, block.data(), wanted);
        for (size_t i = 0; i + 1 < got; i += 2) {
            const size_t length = static_cast<size_t>(block[i]) + 1;
            if (length > n - sum) {
                return Failure{kRleRunPastEnd};
            }
            std::fill_n(map.tmap.begin() + static_cast<ptrdiff_t>(sum), length, block[i + 1]);
            sum += length;
        }
        if (got < wanted) {
            return Failure{kRleCutShort};
        }
    }
    return {};
}

} // namespace dm
