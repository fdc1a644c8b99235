#pragma once

#include <functional>

namespace dm {

// How far a long piece of work has come, in thousandths of the whole, told as the figure rises;
// kProgressTotal comes only once the work is done and its file is in place. Whatever the callback
// throws ends the work and reaches its caller.
inline constexpr int kProgressTotal = 1000;
using WorkProgress = std::function<void(int thousandths)>;

// The progress of one stage of a larger piece of work, which takes the thousandths from `from` to
// `to` of the whole; no callback when there is none for the whole.
inline WorkProgress StageProgress(const WorkProgress& whole, int from, int to) {
    if (!whole) {
        return {};
    }
    return [whole, from, to](int thousandths) {
        whole(from + (to - from) * thousandths / kProgressTotal);
    };
}

} // namespace dm
