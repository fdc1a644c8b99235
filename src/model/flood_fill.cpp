#include "model/tilemap.h"

#include "model/vector.h"

#include <cstdlib>
#include <deque>
#include <vector>

namespace dm {

namespace {

// The neighbour offsets a fill considers, in the order it examines them.
std::vector<vector> ConsideredOffsets(int32_t diagonal) {
    std::vector<vector> offsets;
    for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
            const int32_t steps = std::abs(dx) + std::abs(dy);
            if (steps >= 1 && steps - 1 <= diagonal) {
                offsets.push_back(vector::Create(dx, dy));
            }
        }
    }
    return offsets;
}

} // namespace

int32_t tilemap::FloodFill(tilemap& target, int32_t x, int32_t y, uint8_t glyph, uint8_t fg,
                           uint8_t bg, int32_t diagonal, int32_t bleed, int32_t force) const {
    const size_t plane = PlaneSize();
    const std::vector<vector> offsets = ConsideredOffsets(diagonal);
    // A bit a cell keeps the flags small beside the map itself, however small the region.
    std::vector<bool> visited(plane, false);
    uint8_t g0 = 0;
    uint8_t f0 = 0;
    uint8_t b0 = 0;
    GrabTile(x, y, g0, f0, b0);

    // The queue holds only the cells waiting to be examined, the edge of the region reached so
    // far, so memory follows the region rather than the map; room for every cell of a large map
    // would cost eight bytes a cell whatever is filled.
    std::deque<vector> queue;
    queue.push_back(vector::Create(x, y));
    if (Inside(x, y)) {
        // Painting the start at once fills a start that has no like neighbour.
        target.SetTile(x, y, glyph, fg, bg, force);
        visited[CellIndex(x, y)] = true;
    }

    // The count may run over 32 bits with extreme bleed values; unsigned keeps the wrap defined.
    uint32_t count = 0;
    const uint32_t likeStep = 1u - static_cast<uint32_t>(bleed);
    while (!queue.empty()) {
        const vector at = queue.front();
        queue.pop_front();
        for (const vector offset : offsets) {
            const int64_t nx = static_cast<int64_t>(at.x) + offset.x;
            const int64_t ny = static_cast<int64_t>(at.y) + offset.y;
            if (!Inside(nx, ny)) {
                continue;
            }
            const size_t cell = CellIndex(nx, ny);
            if (visited[cell]) {
                continue;
            }
            // Read now: when target is this map, earlier writes of this fill count.
            const bool like =
                tmap[cell] == g0 && tmap[cell + plane] == f0 && tmap[cell + 2 * plane] == b0;
            const auto cx = static_cast<int32_t>(nx);
            const auto cy = static_cast<int32_t>(ny);
            if (bleed != 0) {
                target.SetTile(cx, cy, glyph, fg, bg, force);
                ++count;
            }
            if (like) {
                queue.push_back(vector::Create(cx, cy));
                target.SetTile(cx, cy, glyph, fg, bg, force);
                visited[cell] = true;
                count += likeStep;
            }
        }
    }
    return static_cast<int32_t>(count);
}

} // namespace dm
