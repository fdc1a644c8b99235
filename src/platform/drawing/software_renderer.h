#pragma once

#include "platform/drawing/frame_damage.h"
#include "platform/drawing/frame_list.h"
#include "platform/pictures/pixmap.h"

namespace dm {

// Draws a recorded frame into an RGBA pixmap the size of the window, pixel for pixel as the
// OpenGL backend draws it: a pixel is covered when its centre lies inside a rectangle, image
// frames take the nearest texel, texels with alpha below one half are not drawn, and a texel's
// channels are multiplied by the drawing colour as (texel x colour + 127) / 255. Images are
// sampled by nearest texel whatever their flags.
void RasterizeFrame(const FrameList& frame, TPixmap& target);

// Draws again only the tiles that damage marks, each exactly as RasterizeFrame draws it over a
// black window; every other pixel keeps what it holds. The damage must be of the target's size.
void RasterizeDamage(const FrameList& frame, const DamageGrid& damage, TPixmap& target);

} // namespace dm
