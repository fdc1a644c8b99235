#pragma once

#include "platform/pictures/pixmap.h"

#include <memory>

namespace dm::icongen {

// The icon: the rendered scene (any format) magnified `scale` times by repeating its pixels,
// centred on a transparent RGBA square of `side` pixels, with its corners rounded off along a
// circle of an eighth of its shorter side, their edges smoothed by coverage. Null when the
// magnified scene does not fit the square.
std::shared_ptr<TPixmap> FrameIcon(const TPixmap& scene, int scale, int side);

} // namespace dm::icongen
