#pragma once

#include <cstdint>

namespace dm {

// Holds a window to its refresh rate in whole milliseconds: 1000 / hertz per frame, with the
// remainder spread so that hertz frames take exactly one second. A late frame is shown at once
// and does not make the next one shorter.
class FramePacer {
  public:
    void Start(int hertz, int64_t now);

    // How long to wait at time now before showing the next frame; 0 when it is due or late.
    int64_t Wait(int64_t now);

  private:
    int hertz_ = 0;
    int64_t period_ = 0;
    int64_t remainder_ = 0;
    int64_t accumulator_ = 0;
    int64_t next_ = 0;
};

} // namespace dm
