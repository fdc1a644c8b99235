#include "insert_string_input.h"

#include "model/tilemap.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

constexpr int32_t kWidth = 24;
constexpr int32_t kHeight = 8;

// Every cell differs from its neighbours, so that any write shows.
std::shared_ptr<dm::tilemap> PatternMap() {
    auto map = dm::tilemap::Create(kWidth, kHeight);
    for (size_t i = 0; i < map->tmap.size(); ++i)
        map->tmap[i] = static_cast<uint8_t>(i * 7 + 3);
    return map;
}

// Text goes right of and below its start only, each character fills at most one cell, and
// without line breaks it stays in its row.
void CheckWrites(const dm::tilemap& before, const dm::tilemap& after,
                 const dm::seeds::InsertStringInput& input, bool linebreaks) {
    if (after.tmapw != kWidth || after.tmaph != kHeight || after.tmap.size() != before.tmap.size())
        __builtin_trap();
    const size_t plane = static_cast<size_t>(kWidth) * kHeight;
    size_t written = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const size_t n = static_cast<size_t>(y) * kWidth + static_cast<size_t>(x);
            const bool changed = after.tmap[n] != before.tmap[n] ||
                                 after.tmap[plane + n] != before.tmap[plane + n] ||
                                 after.tmap[2 * plane + n] != before.tmap[2 * plane + n];
            if (!changed)
                continue;
            ++written;
            if (x < input.x || y < input.y || (!linebreaks && y != input.y))
                __builtin_trap();
        }
    if (written > input.text.size())
        __builtin_trap();
}

// Forced plain text is copied glyph for glyph from its start to the right edge.
void CheckPlainGlyphs(const dm::tilemap& after, const dm::seeds::InsertStringInput& input) {
    if (input.x < 0 || input.y < 0 || input.y >= kHeight)
        return;
    const size_t row = static_cast<size_t>(input.y) * kWidth;
    for (int64_t x = input.x; x < kWidth && static_cast<size_t>(x - input.x) < input.text.size();
         ++x)
        if (after.tmap[row + static_cast<size_t>(x)] !=
            static_cast<uint8_t>(input.text[static_cast<size_t>(x - input.x)]))
            __builtin_trap();
}

} // namespace

// Feeds arbitrary text and positions to the text writer under every combination of colour codes,
// forced writes and line breaks.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto input = dm::seeds::ParseInsertStringInput(data, size);
    if (!input)
        return 0;
    const auto before = PatternMap();
    for (int flags = 0; flags < 8; ++flags) {
        const bool colorcodes = (flags & 1) != 0;
        const bool force = (flags & 2) != 0;
        const bool linebreaks = (flags & 4) != 0;
        const auto after = before->Copy();
        after->InsertString(input->x, input->y, input->text, input->fg, input->bg, colorcodes,
                            force, linebreaks);
        CheckWrites(*before, *after, *input, linebreaks);
        if (force && !colorcodes && !linebreaks)
            CheckPlainGlyphs(*after, *input);
    }
    return 0;
}
