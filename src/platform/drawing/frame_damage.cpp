#include "platform/drawing/frame_damage.h"

#include <algorithm>
#include <cmath>

namespace dm {

namespace {

int Within(double value, int low, int high) {
    return static_cast<int>(std::clamp(value, static_cast<double>(low), static_cast<double>(high)));
}

// [from, to) widened to whole pixels and kept within [0, size].
void Extent(double from, double to, int size, int& first, int& last) {
    first = Within(std::floor(from), 0, size);
    last = Within(std::ceil(to), 0, size);
}

} // namespace

PixelRect CommandBounds(const DrawCommand& command, int width, int height) {
    const PixelRect window{0, 0, width, height};
    if (command.kind == DrawKind::Clear || std::isnan(command.x0) || std::isnan(command.x1) ||
        std::isnan(command.y0) || std::isnan(command.y1)) {
        return window;
    }
    double x0 = command.x0, x1 = command.x1, y0 = command.y0, y1 = command.y1;
    if (command.kind == DrawKind::Line) {
        // Lines run from pixel to pixel, both ends included, in either direction.
        x0 = std::min<double>(command.x0, command.x1);
        x1 = std::max<double>(command.x0, command.x1) + 1;
        y0 = std::min<double>(command.y0, command.y1);
        y1 = std::max<double>(command.y0, command.y1) + 1;
    }
    int left = 0, right = 0, top = 0, bottom = 0;
    Extent(x0, x1, width, left, right);
    Extent(y0, y1, height, top, bottom);
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

DamageGrid::DamageGrid(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      columns_((width_ + kTileSize - 1) / kTileSize), rows_((height_ + kTileSize - 1) / kTileSize),
      tiles_(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), 0) {}

void DamageGrid::Mark(const PixelRect& rect) {
    const int left = std::max(rect.x, 0), top = std::max(rect.y, 0);
    const int right = std::min(rect.x + rect.width, width_);
    const int bottom = std::min(rect.y + rect.height, height_);
    if (left >= right || top >= bottom) {
        return;
    }
    for (int row = top / kTileSize; row <= (bottom - 1) / kTileSize; ++row) {
        for (int column = left / kTileSize; column <= (right - 1) / kTileSize; ++column) {
            uint8_t& tile = tiles_[static_cast<size_t>(row) * static_cast<size_t>(columns_) +
                                   static_cast<size_t>(column)];
            marked_ += tile == 0 ? 1 : 0;
            tile = 1;
        }
    }
}

void DamageGrid::MarkAll() {
    std::fill(tiles_.begin(), tiles_.end(), uint8_t{1});
    marked_ = tiles_.size();
}

PixelRect DamageGrid::Tile(int column, int row) const {
    const int x = column * kTileSize, y = row * kTileSize;
    return {x, y, std::min(kTileSize, width_ - x), std::min(kTileSize, height_ - y)};
}

std::vector<PixelRect> DamageGrid::Rectangles() const {
    struct Run {
        int first;
        int last; // exclusive, in columns
        size_t rect;
    };
    std::vector<PixelRect> rects;
    std::vector<Run> above, here;
    for (int row = 0; row < rows_; ++row) {
        here.clear();
        for (int column = 0; column < columns_;) {
            if (!IsMarked(column, row)) {
                ++column;
                continue;
            }
            const int first = column;
            while (column < columns_ && IsMarked(column, row)) {
                ++column;
            }
            const PixelRect top = Tile(first, row);
            const PixelRect end = Tile(column - 1, row);
            const auto same = std::find_if(above.begin(), above.end(), [&](const Run& run) {
                return run.first == first && run.last == column;
            });
            if (same != above.end()) {
                rects[same->rect].height = end.y + end.height - rects[same->rect].y;
                here.push_back({first, column, same->rect});
            } else {
                rects.push_back({top.x, top.y, end.x + end.width - top.x, top.height});
                here.push_back({first, column, rects.size() - 1});
            }
        }
        std::swap(above, here);
    }
    return rects;
}

namespace {

// How far ahead a change is looked past for the place where the lists agree again, and over how
// many commands they must agree there.
constexpr size_t kLookAhead = 16;
constexpr size_t kAgreeing = 3;

bool AgreeFrom(const std::vector<DrawCommand>& old, size_t i, const std::vector<DrawCommand>& now,
               size_t j) {
    for (size_t k = 0; k < kAgreeing; ++k, ++i, ++j) {
        if (i >= old.size() || j >= now.size()) {
            return i >= old.size() && j >= now.size();
        }
        if (!(old[i] == now[j])) {
            return false;
        }
    }
    return true;
}

} // namespace

// Equal commands are paired in order and the rest marked. Any such pairing is sound: a pixel
// outside every unpaired command's bounds is touched by the same commands in the same order in
// both lists. Commands put in or taken out shift the rest of a list, so after a difference the
// pairing looks a little ahead for where the lists agree again.
DamageGrid FrameDamage(const FrameList& before, const FrameList& after, int width, int height) {
    DamageGrid damage(width, height);
    const std::vector<DrawCommand>& old = before.commands;
    const std::vector<DrawCommand>& now = after.commands;
    const auto mark = [&](const std::vector<DrawCommand>& list, size_t from, size_t to) {
        for (size_t k = from; k < to && !damage.IsFull(); ++k) {
            damage.Mark(CommandBounds(list[k], width, height));
        }
    };
    size_t i = 0, j = 0;
    while (i < old.size() && j < now.size() && !damage.IsFull()) {
        if (old[i] == now[j]) {
            ++i;
            ++j;
            continue;
        }
        size_t skipOld = 1, skipNow = 1; // changed in place unless found put in or taken out
        for (size_t d = 1; d <= kLookAhead; ++d) {
            if (j + d < now.size() && AgreeFrom(old, i, now, j + d)) {
                skipOld = 0;
                skipNow = d;
                break;
            }
            if (i + d < old.size() && AgreeFrom(old, i + d, now, j)) {
                skipOld = d;
                skipNow = 0;
                break;
            }
        }
        mark(old, i, i + skipOld);
        mark(now, j, j + skipNow);
        i += skipOld;
        j += skipNow;
    }
    mark(old, i, old.size());
    mark(now, j, now.size());
    return damage;
}

} // namespace dm
