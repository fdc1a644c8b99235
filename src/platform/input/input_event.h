#pragma once

namespace dm {

// What the system driver reports; the numbers are those of the host's event ids.
enum class EventId {
    AppSuspend = 257,
    AppResume = 258,
    AppTerminate = 259,
    KeyDown = 513,
    KeyUp = 514,
    KeyChar = 515,
    KeyRepeat = 516,
    MouseDown = 1025,
    MouseUp = 1026,
    MouseMove = 1027,
    MouseWheel = 1028,
    MouseEnter = 1029,
    MouseLeave = 1030,
};

// Modifier bits of Event::mods.
inline constexpr int kModShift = 1;
inline constexpr int kModControl = 2;
inline constexpr int kModAlt = 4;
inline constexpr int kModSystem = 8;

// data: the key code, character, button, buttons held or wheel notches, by id.
struct Event {
    EventId id = EventId::KeyDown;
    int data = 0;
    int mods = 0;
    int x = 0;
    int y = 0;
};

} // namespace dm
