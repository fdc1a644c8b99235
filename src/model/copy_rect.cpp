#include "model/tilemap.h"

#include <algorithm>
#include <optional>

namespace dm {

namespace {

// The offsets k in [lo, hi] of a run of count cells from start that lie in [0, limit).
struct Span {
    int64_t lo;
    int64_t hi;

    bool Empty() const { return lo > hi; }
    int64_t Length() const { return hi - lo + 1; }
};

Span InsideSpan(int32_t start, int32_t count, int32_t limit) {
    return {std::max<int64_t>(0, -static_cast<int64_t>(start)),
            std::min<int64_t>(static_cast<int64_t>(count) - 1,
                              static_cast<int64_t>(limit) - 1 - start)};
}

struct Offset {
    int64_t i;
    int64_t j;
};

// A copy walks the offsets (i, j) columns first, keeping the last source cell it could read. This
// gives, for offset (i, j), the offset of that last cell readable inside the source, if any.
std::optional<Offset> LastReadable(int64_t i, int64_t j, Span cols, Span rows) {
    if (cols.Empty() || rows.Empty()) {
        return std::nullopt;
    }
    if (i >= cols.lo && i <= cols.hi && j >= rows.lo) {
        return Offset{i, std::min(j, rows.hi)};
    }
    const int64_t previous = std::min(i - 1, cols.hi);
    if (previous >= cols.lo) {
        return Offset{previous, rows.hi};
    }
    return std::nullopt;
}

bool Disjoint(int64_t sx, int64_t sy, int64_t w, int64_t h, int64_t dx, int64_t dy) {
    return (dx > sx && dx - sx > w) || (sx > dx && sx - dx > w) || (dy > sy && dy - sy > h) ||
           (sy > dy && sy - dy > h);
}

} // namespace

int32_t tilemap::CopyRect(const tilemap& src, int32_t sx, int32_t sy, int32_t w, int32_t h,
                          tilemap& dst, int32_t dx, int32_t dy, int32_t force) {
    const Span cols = InsideSpan(sx, w, src.tmapw);
    const Span rows = InsideSpan(sy, h, src.tmaph);
    const bool readsSource = !cols.Empty() && !rows.Empty();
    if (&src == &dst && readsSource && !Disjoint(sx, sy, w, h, dx, dy)) {
        // Reading cells that this copy has already overwritten would smear them, so copy from
        // an exact duplicate of the readable source cells, placed so that the same offsets
        // fall inside it.
        const auto part =
            Create(static_cast<int32_t>(cols.Length()), static_cast<int32_t>(rows.Length()));
        CopyRect(src, static_cast<int32_t>(sx + cols.lo), static_cast<int32_t>(sy + rows.lo),
                 part->tmapw, part->tmaph, *part, 0, 0, 1);
        CopyRect(*part, static_cast<int32_t>(-cols.lo), static_cast<int32_t>(-rows.lo), w, h, dst,
                 dx, dy, force);
        return 0;
    }

    // Only offsets that land inside dst write anything; the cell each writes is found directly
    // rather than by walking the offsets that write nothing.
    const Span dcols = InsideSpan(dx, w, dst.tmapw);
    const Span drows = InsideSpan(dy, h, dst.tmaph);
    for (int64_t i = dcols.lo; i <= dcols.hi; ++i) {
        for (int64_t j = drows.lo; j <= drows.hi; ++j) {
            uint8_t g = 0;
            uint8_t f = 0;
            uint8_t b = 0;
            if (const auto read = LastReadable(i, j, cols, rows)) {
                src.GrabTile(static_cast<int32_t>(sx + read->i), static_cast<int32_t>(sy + read->j),
                             g, f, b);
            }
            dst.SetTile(static_cast<int32_t>(dx + i), static_cast<int32_t>(dy + j), g, f, b, force);
        }
    }
    return 0;
}

int32_t tilemap::InsertMapImage(const tilemap& src, int32_t x, int32_t y, int32_t force) {
    return CopyRect(src, 0, 0, src.tmapw, src.tmaph, *this, x, y, force);
}

} // namespace dm
