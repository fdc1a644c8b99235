#include "model/tilemap.h"
#include "platform/graphics.h"
#include "platform/png_codec.h"
#include "platform/polled_input.h"
#include "platform/sdl/sdl_driver.h"
#include "platform/software_renderer.h"
#include "render/display.h"
#include "render/map_draw.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace dm {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The real window under the desktop driver, with the shipped tileset and palette.
class RealWindow : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        driver_ = std::make_shared<SdlDriver>();
        SetSystemDriver(driver_);
        std::string whyNot;
        graphics_ = OpenGraphics(kWidth, kHeight, 0, 60, 0, &whyNot);
        ASSERT_NE(graphics_, nullptr) << whyNot;
        driver_->CaptureFrames(true);
        const std::string art = std::string(DUSKMARCH_SOURCE_DIR) + "/data/image/";
        display_.tileset = LoadTileset(art + "curses.png", display_.config);
        display_.palette = LoadPalette(art + "pallet.png", display_.config);
    }
    static void TearDownTestSuite() {
        graphics_.reset();
        CloseGraphics();
        SetSystemDriver(nullptr);
        driver_.reset();
    }

    // Flips what was drawn and returns how many pixels of the window differ from the software
    // rendering of the same frame; on a difference both pictures are written beside the test.
    int PresentAndCompare(const std::string& name) {
        const FrameList recorded = CurrentGraphics()->frame;
        Flip(0);
        const std::shared_ptr<TPixmap> window = driver_->LastFrame();
        std::shared_ptr<TPixmap> software = TPixmap::Create(kWidth, kHeight, PF_RGBA8888, 4);
        software->ClearPixels(0xFF000000u);
        RasterizeFrame(recorded, *software);
        int differing = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                differing +=
                    (window->ReadPixel(x, y) ^ software->ReadPixel(x, y)) & 0xFFFFFF ? 1 : 0;
            }
        }
        if (differing > 0) {
            WritePixmapPNG(*window->Convert(PF_RGB888), name + "_window.png", 6);
            WritePixmapPNG(*software->Convert(PF_RGB888), name + "_software.png", 6);
        }
        return differing;
    }

    static std::shared_ptr<SdlDriver> driver_;
    static std::shared_ptr<TGraphics> graphics_;
    static Display display_;
};

std::shared_ptr<SdlDriver> RealWindow::driver_;
std::shared_ptr<TGraphics> RealWindow::graphics_;
Display RealWindow::display_;

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

TEST_F(RealWindow, MapsAtScaleOneAndTwoAndStraightLinesMatchTheSoftwareRenderer) {
    const auto map = EveryGlyph();
    Cls();
    Draw(*map, display_, 0, 0, 0, 0, -1, -1);
    Display doubled = display_;
    doubled.config.scale = 2;
    Draw(*map, doubled, 0, 8, 4, 0, 24, 13);
    const int lines[][4] = {{300, 10, 790, 10},
                            {790, 20, 300, 20},
                            {299, 30, 299, 200},
                            {400, 200, 400, 40},
                            {5, 590, 5, 590}};
    for (const auto& line : lines) {
        SetColor(0, 96, 0);
        DrawLine(static_cast<float>(line[0]), static_cast<float>(line[1]),
                 static_cast<float>(line[2]), static_cast<float>(line[3]), true);
    }
    SetColor(255, 255, 255);
    DrawRect(700, 500, 37, 11);
    EXPECT_EQ(PresentAndCompare("parity_maps"), 0);
}

TEST_F(RealWindow, SlantedLinesDifferInFewPixelsAtMost) {
    Cls();
    SetColor(0, 192, 0);
    int drawn = 0;
    for (int i = 0; i < 20; ++i) {
        const int x1 = 20 + i * 37, y1 = 30 + (i * 53) % 500, x2 = 780 - i * 29, y2 = 580 - i * 11;
        DrawLine(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                 static_cast<float>(y2), true);
        drawn += std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1;
    }
    const int differing = PresentAndCompare("parity_slanted");
    EXPECT_LE(differing, drawn / 10);
}

} // namespace
} // namespace dm
