#include "files/vector_list.h"

#include "files/random.h"

#include <cstddef>
#include <utility>

namespace dm {

std::vector<vector> createvectorlist(int32_t w, int32_t h) {
    std::vector<vector> list;
    if (w <= 0 || h <= 0) {
        return list;
    }
    list.reserve(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int32_t x = 0; x < w; ++x) {
        for (int32_t y = 0; y < h; ++y) {
            list.push_back(vector::Create(x, y));
        }
    }
    return list;
}

namespace {

// One walk. The elements not yet passed by the cursor form a queue: the walk takes its front,
// and a moved element rejoins at its back, so `pending` is a ring buffer over the list's own
// storage. Elements that stay are final and go to `kept` in order. The last element of the
// queue ends the walk wherever its draw sends it, since moving the last element keeps it last.
// Every element is written both to the slot after the queue's back and to the next slot of
// `kept`, and the draw only decides which of the two counts grows: the draws are as good as
// random, so a branch on them would be mispredicted often.
void WalkOnce(std::vector<vector>& list, std::vector<vector>& kept, int32_t p,
              RandomGenerator& random) {
    const size_t n = list.size();
    vector* const pending = list.data();
    kept.resize(n);
    vector* const stays = kept.data();
    size_t head = 0;
    size_t count = n;
    size_t keptCount = 0;
    while (true) {
        const vector element = pending[head];
        if (++head == n) {
            head = 0;
        }
        --count;
        const bool moved = random.Int(0, p) != 0;
        if (count == 0) {
            stays[keptCount] = element;
            break;
        }
        // The queue holds fewer than n elements now, so the slot after its back is free.
        size_t tail = head + count;
        if (tail >= n) {
            tail -= n;
        }
        pending[tail] = element;
        stays[keptCount] = element;
        keptCount += static_cast<size_t>(!moved);
        count += static_cast<size_t>(moved);
    }
    std::swap(list, kept);
}

} // namespace

void mixvectorlist(std::vector<vector>& list, RandomGenerator& random,
                   const WorkProgress& progress) {
    const int32_t passes = random.Int(4, 17);
    const int32_t p = random.Int(4, 17);
    if (list.empty()) {
        return;
    }
    std::vector<vector> kept;
    kept.reserve(list.size());
    for (int32_t pass = 0; pass <= passes; ++pass) {
        WalkOnce(list, kept, p, random);
        if (progress) {
            progress((pass + 1) * kProgressTotal / (passes + 1));
        }
    }
}

} // namespace dm
