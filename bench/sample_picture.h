#pragma once

#include "platform/pictures/pixmap.h"

#include <memory>

namespace dm::bench {

// A photograph-like RGB picture of any size, the same every time: a sky in smooth gradients
// with a glowing sun, hazy and wooded ridges with sharp edges, a lake with ripples, a shore
// with a house, and fine grain over everything.
std::shared_ptr<TPixmap> SamplePicture(int width, int height);

} // namespace dm::bench
