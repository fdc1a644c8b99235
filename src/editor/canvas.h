#pragma once

#include "model/tilemap.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dm {

// One open image: its size, the part in view, the image and its single undo copy, its name or
// path, and whether it is saved. w and h equal the image's size except after undoing a resize,
// when the image keeps its old size while the view and the mouse follow w and h.
class canvas {
  public:
    int32_t w = 16;
    int32_t h = 16;
    int32_t viewx = 0;
    int32_t viewy = 0;
    std::shared_ptr<tilemap> img;
    std::shared_ptr<tilemap> undo;
    int32_t canundo = 0;
    std::string path;
    int32_t hassaved = 0;
};

} // namespace dm
