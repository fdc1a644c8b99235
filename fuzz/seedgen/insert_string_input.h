#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace dm::seeds {

// What insert_string_fuzz takes from one input: the position as two little-endian 32-bit
// integers, the foreground and background bytes, then the text.
struct InsertStringInput {
    int32_t x = 0;
    int32_t y = 0;
    uint8_t fg = 0;
    uint8_t bg = 0;
    std::string_view text;
};

inline constexpr size_t kInsertStringHeader = 10;

inline int32_t LittleEndianInt(const uint8_t* bytes) {
    return static_cast<int32_t>(uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 |
                                uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24);
}

// Null when the input is too short to hold the position and colours.
inline std::optional<InsertStringInput> ParseInsertStringInput(const uint8_t* data, size_t size) {
    if (size < kInsertStringHeader)
        return std::nullopt;
    return InsertStringInput{
        LittleEndianInt(data), LittleEndianInt(data + 4), data[8], data[9],
        std::string_view(reinterpret_cast<const char*>(data) + kInsertStringHeader,
                         size - kInsertStringHeader)};
}

inline std::vector<uint8_t> MakeInsertStringInput(const InsertStringInput& input) {
    std::vector<uint8_t> bytes;
    for (const int32_t value : {input.x, input.y})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift));
    bytes.push_back(input.fg);
    bytes.push_back(input.bg);
    bytes.insert(bytes.end(), input.text.begin(), input.text.end());
    return bytes;
}

} // namespace dm::seeds
