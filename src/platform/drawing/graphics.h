#pragma once

#include "platform/drawing/frame_list.h"
#include "platform/drawing/frame_pacer.h"
#include "platform/expected.h"

#include <memory>
#include <string>

namespace dm {

class TImage;

// The caption of the window and of message boxes, read when the window opens.
const std::string& ApplicationTitle();
void SetApplicationTitle(std::string title);

// Blend modes; drawing always uses the mask mode (alpha test at one half, no blending).
inline constexpr int kBlendMask = 1;

// Graphics flags; every window gets a back buffer whatever it asks for.
inline constexpr int kGraphicsBackBuffer = 2;

// The drawing state of a window. Only the colour and the scale are ever changed; the rest keeps
// its defaults and is what the backends draw with.
struct TDrawContext {
    int color_red = 255;
    int color_green = 255;
    int color_blue = 255;
    float color_alpha = 1.0f;
    int clscolor_red = 0;
    int clscolor_green = 0;
    int clscolor_blue = 0;
    float line_width = 1.0f;
    float tform_rot = 0;
    float tform_scale_x = 1.0f;
    float tform_scale_y = 1.0f;
    float tform_ix = 1.0f;
    float tform_iy = 0;
    float tform_jx = 0;
    float tform_jy = 1.0f;
    float origin_x = 0;
    float origin_y = 0;
    float handle_x = 0;
    float handle_y = 0;
    int blend_mode = kBlendMask;
};

// One open window: what was asked of it, its drawing state, its frame pacing and the frame being
// recorded.
class TGraphics {
  public:
    int width = 0;
    int height = 0;
    int depth = 0;
    int hertz = 0;
    int flags = 0;
    TDrawContext context;
    FramePacer pacer;
    FrameList frame;
};

// Opens the window through the system driver (replacing any earlier one), makes it current,
// starts its frame pacing and clears the input state. Fails, saying why, when there is no driver
// or the window or its drawing context cannot be made.
Expected<std::shared_ptr<TGraphics>> OpenGraphics(int width, int height, int depth, int hertz,
                                                  int flags);

// The current window; null before one opened.
TGraphics* CurrentGraphics();

// Forgets the current window, as when the program ends.
void CloseGraphics();

int WindowWidth();
int WindowHeight();

// Drawing into the current window's next frame; positions and sizes in pixels. Nothing happens
// without a window.
void Cls();
void SetColor(int red, int green, int blue);
// Multiplies the size of what is drawn, not its position.
void SetDrawScale(float x, float y);
void DrawRect(float x, float y, float width, float height);
// A one-pixel line; the end pixel is drawn too when lastPixel is set.
void DrawLine(float x1, float y1, float x2, float y2, bool lastPixel);
// Frame `frame` of the image, its colours multiplied by the drawing colour. The image must live
// until the next frame is flipped: a file chooser open in between shows this frame again.
void DrawFrame(const TImage& image, float x, float y, int frame);

// Shows the frame. sync -1 holds a windowed display to its refresh rate by waiting in software;
// 0 shows it at once and 1 on the vertical blank.
void Flip(int sync);

// Shows what was drawn since the last flip at once, as a frame that long work shows inside one of
// the program's frames; no pacing, and scripted runs do not count it as a frame.
void FlipInterim();

void SleepMs(int milliseconds);

} // namespace dm
