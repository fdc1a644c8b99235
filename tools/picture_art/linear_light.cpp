#include "picture_art/linear_light.h"

#include <cmath>

namespace dm {
namespace {

LinearTable MakeLinearTable() {
    LinearTable table{};
    for (int byte = 0; byte < 256; ++byte) {
        const double encoded = byte / 255.0;
        const double linear =
            encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
        table[byte] = static_cast<int32_t>(std::lround(linear * kLinearMax));
    }
    return table;
}

} // namespace

const LinearTable& LinearFromBytes() {
    static const LinearTable table = MakeLinearTable();
    return table;
}

} // namespace dm
