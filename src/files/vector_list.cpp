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
void WalkOnce(std::vector<vector>& list, std::vector<vector>& kept, int32_t p,
              RandomGenerator& random) {
    const size_t n = list.size();
    std::vector<vector>& pending = list;
    size_t head = 0;
    size_t count = n;
    kept.clear();
    while (true) {
        const vector element = pending[head];
        if (++head == n) {
            head = 0;
        }
        --count;
        const bool moved = random.Int(0, p) != 0;
        if (count == 0) {
            kept.push_back(element);
            break;
        }
        if (moved) {
            size_t tail = head + count;
            if (tail >= n) {
                tail -= n;
            }
            pending[tail] = element;
            ++count;
        } else {
            kept.push_back(element);
        }
    }
    std::swap(list, kept);
}

} // namespace

void mixvectorlist(std::vector<vector>& list, const WorkProgress& progress) {
    RandomGenerator& random = GlobalRandom();
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
