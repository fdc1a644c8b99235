#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

inline constexpr int kConfigSlots = 10;

// The characters kept outside quoted text; everything else there is dropped.
inline constexpr std::string_view AcceptedChars =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 `~\"/\\.!@#$%^&*()[]{}|:'_-+;";

// The arguments of one configuration line. count reaches kConfigSlots + 1 when a line
// holds too many arguments; only the first kConfigSlots are kept.
struct ConfigArgs {
    std::array<std::string, kConfigSlots> slot;
    uint8_t count = 0;
};

// Splits one configuration line into its keyword (returned) and its arguments.
// where ("on line N of PATH") locates the line in the unterminated-string warning.
std::string ParseConfigLine(std::string_view line, std::string_view where, ConfigArgs& args);

} // namespace dm
