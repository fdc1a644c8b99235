#include "editor/cell_changes.h"

#include <algorithm>

namespace dm {

namespace {

// The three planes of a map's cells, cell i at glyphs[i], glyphs[i + n] and glyphs[i + 2n].
template <class Byte>
struct Planes {
    Byte* glyphs;
    size_t n;

    bool Same(size_t i, const Planes<const uint8_t>& other) const {
        return glyphs[i] == other.glyphs[i] && glyphs[i + n] == other.glyphs[i + n] &&
               glyphs[i + 2 * n] == other.glyphs[i + 2 * n];
    }
    bool SameAsNext(size_t i) const {
        return glyphs[i] == glyphs[i + 1] && glyphs[i + n] == glyphs[i + n + 1] &&
               glyphs[i + 2 * n] == glyphs[i + 2 * n + 1];
    }
};

using CellsRead = Planes<const uint8_t>;
using CellsWritten = Planes<uint8_t>;

size_t CellCount(const tilemap& map) {
    return static_cast<size_t>(map.tmapw) * static_cast<size_t>(map.tmaph);
}

CellsRead Read(const tilemap& map) {
    return {map.tmap.data(), CellCount(map)};
}

CellsWritten Written(tilemap& map) {
    return {map.tmap.data(), CellCount(map)};
}

void PutNumber(std::vector<uint8_t>& out, size_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

// The cells from `first` on, `count` of them, as runs of equal cells: the run's length, then the
// cell's glyph, foreground and background.
void PutCells(std::vector<uint8_t>& out, const CellsRead& cells, size_t first, size_t count) {
    const size_t end = first + count;
    for (size_t i = first; i < end;) {
        size_t run = 1;
        while (i + run < end && cells.SameAsNext(i + run - 1)) {
            ++run;
        }
        PutNumber(out, run);
        out.push_back(cells.glyphs[i]);
        out.push_back(cells.glyphs[i + cells.n]);
        out.push_back(cells.glyphs[i + 2 * cells.n]);
        i += run;
    }
}

class Reader {
  public:
    explicit Reader(const std::vector<uint8_t>& bytes)
        : at_(bytes.data()), end_(at_ + bytes.size()) {}

    bool Done() const { return at_ == end_; }

    size_t Number() {
        size_t value = 0;
        for (int shift = 0; at_ != end_; shift += 7) {
            const uint8_t byte = *at_++;
            value |= static_cast<size_t>(byte & 0x7F) << shift;
            if (byte < 0x80) {
                break;
            }
        }
        return value;
    }

    // Reads the runs of `count` cells and writes them from `first` on, or passes over them when
    // cells is null.
    void Cells(CellsWritten* cells, size_t first, size_t count) {
        for (size_t done = 0; done < count && at_ != end_;) {
            const size_t run = std::min(Number(), count - done);
            if (end_ - at_ < 3) {
                at_ = end_;
                return;
            }
            if (cells) {
                for (size_t i = first + done; i < first + done + run; ++i) {
                    cells->glyphs[i] = at_[0];
                    cells->glyphs[i + cells->n] = at_[1];
                    cells->glyphs[i + 2 * cells->n] = at_[2];
                }
            }
            at_ += 3;
            done += run;
        }
    }

  private:
    const uint8_t* at_;
    const uint8_t* end_;
};

} // namespace

CellChanges CellChanges::Between(const tilemap& before, const tilemap& after) {
    CellChanges changes;
    changes.beforeWidth_ = before.tmapw;
    changes.beforeHeight_ = before.tmaph;
    changes.afterWidth_ = after.tmapw;
    changes.afterHeight_ = after.tmaph;
    const CellsRead old = Read(before);
    const CellsRead now = Read(after);
    if (before.tmapw != after.tmapw || before.tmaph != after.tmaph) {
        PutCells(changes.bytes_, old, 0, old.n);
        PutCells(changes.bytes_, now, 0, now.n);
    } else {
        size_t last = 0; // where the previous run of changed cells ended
        for (size_t i = 0; i < old.n;) {
            if (old.Same(i, now)) {
                ++i;
                continue;
            }
            size_t end = i + 1;
            while (end < old.n && !old.Same(end, now)) {
                ++end;
            }
            PutNumber(changes.bytes_, i - last);
            PutNumber(changes.bytes_, end - i);
            PutCells(changes.bytes_, old, i, end - i);
            PutCells(changes.bytes_, now, i, end - i);
            last = end;
            i = end;
        }
    }
    changes.bytes_.shrink_to_fit();
    return changes;
}

void CellChanges::Apply(std::shared_ptr<tilemap>& map, bool forward) const {
    Reader reader(bytes_);
    if (beforeWidth_ != afterWidth_ || beforeHeight_ != afterHeight_) {
        std::shared_ptr<tilemap> made = forward ? tilemap::Create(afterWidth_, afterHeight_)
                                                : tilemap::Create(beforeWidth_, beforeHeight_);
        made->transparentcolor = map->transparentcolor;
        made->drawtime = map->drawtime;
        CellsWritten cells = Written(*made);
        const size_t beforeCells = static_cast<size_t>(beforeWidth_) * beforeHeight_;
        reader.Cells(forward ? nullptr : &cells, 0, beforeCells);
        if (forward) {
            reader.Cells(&cells, 0, cells.n);
        }
        map = std::move(made);
        return;
    }
    CellsWritten cells = Written(*map);
    size_t at = 0;
    while (!reader.Done()) {
        at += reader.Number();
        const size_t count = reader.Number();
        reader.Cells(forward ? nullptr : &cells, at, count);
        reader.Cells(forward ? &cells : nullptr, at, count);
        at += count;
    }
}

} // namespace dm
