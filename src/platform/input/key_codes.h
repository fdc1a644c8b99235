#pragma once

namespace dm {

// Keys as the host's virtual-key numbers, which the editor's bindings are written in. Letters and
// digits are their upper-case character codes ('A' is 65, '0' is 48).
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyF1 = 112;
// Modifiers come by side; the generic Shift, Control and Alt codes (16 to 18) are never reported.
inline constexpr int kKeyLeftShift = 160;
inline constexpr int kKeyRightShift = 161;
inline constexpr int kKeyLeftControl = 162;
inline constexpr int kKeyRightControl = 163;
inline constexpr int kKeyLeftAlt = 164;
inline constexpr int kKeyRightAlt = 165;

// Mouse buttons.
inline constexpr int kMouseLeft = 1;
inline constexpr int kMouseRight = 2;
inline constexpr int kMouseMiddle = 3;

} // namespace dm
