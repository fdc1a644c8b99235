#pragma once

#include <array>
#include <cstdint>

namespace dm {

// What polled input remembers between queries (see polled_input.h); kept by the host.
struct InputState {
    static constexpr int kKeyCount = 256;
    static constexpr int kQueueSize = 256;
    static constexpr int kButtonCount = 4;

    std::array<int, kKeyCount> keyStates{};
    std::array<int, kKeyCount> keyHits{};
    std::array<int, kQueueSize> chars{};
    uint32_t charPut = 0;
    uint32_t charGet = 0;
    std::array<int, kButtonCount> mouseStates{};
    std::array<int, kButtonCount> mouseHits{};
    int mouseX = 0;
    int mouseY = 0;
    int mouseZ = 0;
    int wheelNotches = 0; // turned since they were last taken
    bool suspended = false;
    bool terminateRequest = false;
    bool autoPoll = true;
};

} // namespace dm
