#pragma once

#include "platform/frame_list.h"
#include "platform/pixmap.h"

namespace dm {

// Draws a recorded frame into an RGBA pixmap the size of the window, pixel for pixel as the
// OpenGL backend draws it: a pixel is covered when its centre lies inside a rectangle, image
// frames take the nearest texel, texels with alpha below one half are not drawn, and a texel's
// channels are multiplied by the drawing colour as (texel x colour + 127) / 255. Images are
// sampled by nearest texel whatever their flags.
void RasterizeFrame(const FrameList& frame, TPixmap& target);

} // namespace dm
