#include "ui/label_layout.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Feeds a label width and height (the first two bytes, as the editor's labels are at most 64 x 64)
// and a text to the label layout, which must end, lay out no more rows than the label has, and
// without forced breaks keep every row within two cells past the width (a row holding a word of
// the full width gets " -" when the next word is too long to fit anywhere).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int w = data[0] % 80 - 4;
    const int h = data[1] % 80 - 4;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::vector<std::string> rows = dm::LabelRows(text, w, h);
    if (static_cast<int64_t>(rows.size()) > (h < 0 ? 0 : h))
        __builtin_trap();
    const bool breaks = text.find('\xFF') != std::string_view::npos;
    for (const std::string& row : rows)
        if (!breaks && w >= 2 && static_cast<int64_t>(row.size()) > w + 2)
            __builtin_trap();
    return 0;
}
