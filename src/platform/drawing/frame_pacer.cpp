#include "platform/drawing/frame_pacer.h"

namespace dm {

void FramePacer::Start(int hertz, int64_t now) {
    hertz_ = hertz;
    period_ = 1000 / hertz;
    remainder_ = 1000 - period_ * hertz;
    accumulator_ = 0;
    next_ = now;
}

int64_t FramePacer::Wait(int64_t now) {
    next_ += period_;
    accumulator_ += remainder_;
    if (accumulator_ >= hertz_) {
        accumulator_ -= hertz_;
        next_ += 1;
    }
    const int64_t wait = next_ - now;
    if (wait <= 0) {
        next_ = now;
        return 0;
    }
    return wait;
}

} // namespace dm
