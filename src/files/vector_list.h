#pragma once

#include "files/random.h"
#include "files/work_progress.h"
#include "model/vector.h"

#include <cstdint>
#include <vector>

namespace dm {

// The positions of a w x h picture in the order x outer, y inner: (0,0), (0,1), ..., (w-1,h-1).
// A non-positive size gives an empty list.
std::vector<vector> createvectorlist(int32_t w, int32_t h);

// Shuffles the list in place with draws from random. It replays a walk over a linked list:
// passes + 1 times, each element met draws random.Int(0, p) and, unless the draw is 0, moves to
// the end of the list, where the same walk meets it again (except when it was already the last
// element, which ends the walk). Progress counts the walks.
void mixvectorlist(std::vector<vector>& list, RandomGenerator& random,
                   const WorkProgress& progress = {});

} // namespace dm
