#include "model/tilemap.h"
#include "platform/graphics.h"
#include "platform/png_codec.h"
#include "platform/sdl/sdl_driver.h"
#include "platform/software_renderer.h"
#include "render/display.h"
#include "render/map_draw.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace dm {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Every glyph, in colours that vary cell by cell, with both layers, equal colours and no colour.
std::shared_ptr<tilemap> EveryGlyph() {
    auto map = tilemap::Create(32, 16);
    map->transparentcolor = 255;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int i = y * 32 + x;
            const int bg = i % 37 == 0 ? 255 : (i * 7 + 3) % 256;
            const int fg = i % 29 == 0 ? bg : (i * 13 + 100) % 255;
            map->SetTile(x, y, static_cast<uint8_t>(i % 256), static_cast<uint8_t>(fg),
                         static_cast<uint8_t>(bg), 1);
        }
    }
    return map;
}

// The real window under the desktop driver draws maps at scale one and two, with the shipped
// tileset and palette, and straight lines and rectangles, pixel for pixel as the software renderer
// draws the same frame. On a difference both pictures are written beside the test.
TEST(RealWindow, MapsAtScaleOneAndTwoAndStraightLinesMatchTheSoftwareRenderer) {
    const auto driver = std::make_shared<SdlDriver>();
    SetSystemDriver(driver);
    std::string whyNot;
    std::shared_ptr<TGraphics> graphics = OpenGraphics(kWidth, kHeight, 0, 60, 0, &whyNot);
    ASSERT_NE(graphics, nullptr) << whyNot;
    driver->CaptureFrames(true);
    const std::string art = std::string(DUSKMARCH_SOURCE_DIR) + "/data/image/";
    Display display;
    display.tileset = LoadTileset(art + "curses.png", display.config);
    display.palette = LoadPalette(art + "pallet.png", display.config);

    const auto map = EveryGlyph();
    Cls();
    Draw(*map, display, 0, 0, 0, 0, -1, -1);
    Display doubled = display;
    doubled.config.scale = 2;
    Draw(*map, doubled, 0, 8, 4, 0, 24, 13);
    SetColor(0, 96, 0);
    for (const auto& [x1, y1, x2, y2] : {std::array{300, 10, 790, 10},
                                         {790, 20, 300, 20},
                                         {299, 30, 299, 200},
                                         {400, 200, 400, 40},
                                         {5, 590, 5, 590}}) {
        DrawLine(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                 static_cast<float>(y2), true);
    }
    SetColor(255, 255, 255);
    DrawRect(700, 500, 37, 11);

    const FrameList recorded = CurrentGraphics()->frame;
    Flip(0);
    const std::shared_ptr<TPixmap> window = driver->LastFrame();
    std::shared_ptr<TPixmap> software = TPixmap::Create(kWidth, kHeight, PF_RGBA8888, 4);
    software->ClearPixels(0xFF000000u);
    RasterizeFrame(recorded, *software);
    int differing = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            differing += (window->ReadPixel(x, y) ^ software->ReadPixel(x, y)) & 0xFFFFFF ? 1 : 0;
        }
    }
    if (differing > 0) {
        WritePixmapPNG(*window->Convert(PF_RGB888), "parity_window.png", 6);
        WritePixmapPNG(*software->Convert(PF_RGB888), "parity_software.png", 6);
    }
    EXPECT_EQ(differing, 0);
    graphics.reset();
    CloseGraphics();
    SetSystemDriver(nullptr);
}

} // namespace
} // namespace dm
