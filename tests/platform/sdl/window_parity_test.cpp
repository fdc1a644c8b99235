#include "model/tilemap.h"
#include "platform/drawing/graphics.h"
#include "platform/drawing/software_renderer.h"
#include "platform/host.h"
#include "platform/pictures/png_codec.h"
#include "platform/sdl/sdl_driver.h"
#include "render/display.h"
#include "render/map_draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace dm {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// One driver for every test: SDL's video does not always start again in the same process.
std::shared_ptr<SdlDriver> SharedDriver() {
    static const auto driver = std::make_shared<SdlDriver>();
    return driver;
}

// A window of the test's size on the path asked for, with frames read back as they are shown.
std::shared_ptr<TGraphics> OpenWindow(SdlDriver& driver, RendererRequest request) {
    driver.RequestRenderer(request);
    const Expected<std::shared_ptr<TGraphics>> opened = OpenGraphics(kWidth, kHeight, 0, 60, 0);
    EXPECT_TRUE(opened) << opened.Why();
    std::shared_ptr<TGraphics> graphics = opened ? *opened : nullptr;
    driver.CaptureFrames(true);
    return graphics;
}

Display ShippedDisplay() {
    const std::string art = std::string(DUSKMARCH_SOURCE_DIR) + "/data/image/";
    Display display;
    display.tileset = LoadTileset(art + "curses.png", display.config);
    display.palette = LoadPalette(art + "pallet.png", display.config);
    return display;
}

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

// Flips what was drawn and counts the pixels in which the window differs from the software
// rendering of the same frame; on a difference both pictures and a map of the differing pixels
// are written beside the test, named after `name`.
int CountDifferences(const std::shared_ptr<TPixmap>& window,
                     const std::shared_ptr<TPixmap>& software, const std::string& name) {
    std::shared_ptr<TPixmap> difference = TPixmap::Create(kWidth, kHeight, kPixelFormatRGB888, 4);
    int differing = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool differs = (window->ReadPixel(x, y) ^ software->ReadPixel(x, y)) & 0xFFFFFF;
            differing += differs ? 1 : 0;
            difference->WritePixel(x, y, differs ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    if (differing > 0) {
        WritePixmapPNG(*window->Convert(kPixelFormatRGB888), name + "_window.png", 6);
        WritePixmapPNG(*software->Convert(kPixelFormatRGB888), name + "_software.png", 6);
        WritePixmapPNG(*difference, name + "_difference.png", 6);
    }
    return differing;
}

int PresentAndCompare(SdlDriver& driver, const std::string& name) {
    const FrameList recorded = CurrentGraphics()->frame;
    Flip(0);
    std::shared_ptr<TPixmap> software = TPixmap::Create(kWidth, kHeight, kPixelFormatRGBA8888, 4);
    software->ClearPixels(0xFF000000u);
    RasterizeFrame(recorded, *software);
    return CountDifferences(driver.LastFrame(), software, name);
}

// The maps at scale one and two with straight lines and a rectangle over them, as recorded.
FrameList MapsFrame(const Display& display, tilemap& map) {
    Cls();
    Draw(map, display, 0, 0, 0, 0, -1, -1);
    Display doubled = display;
    doubled.config.scale = 2;
    Draw(map, doubled, 0, 8, 4, 0, 24, 13);
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
    FrameList frame = CurrentGraphics()->frame;
    CurrentGraphics()->frame.commands.clear();
    return frame;
}

// The real window under the desktop driver draws maps at scale one and two, with the shipped
// tileset and palette, and straight lines and rectangles, pixel for pixel as the software renderer
// draws the same frame. Slanted lines are left to each rasteriser; their differences are counted
// and reported.
TEST(RealWindow, MapsAtScaleOneAndTwoAndStraightLinesMatchTheSoftwareRenderer) {
    const std::shared_ptr<SdlDriver> driver = SharedDriver();
    SetUpHost(driver);
    std::shared_ptr<TGraphics> graphics = OpenWindow(*driver, RendererRequest::OpenGl);
    ASSERT_NE(graphics, nullptr);
    ASSERT_EQ(driver->Path(), PresentPath::OpenGl);
    const Display display = ShippedDisplay();

    const auto map = EveryGlyph();
    CurrentGraphics()->frame = MapsFrame(display, *map);
    EXPECT_EQ(PresentAndCompare(*driver, "parity_maps"), 0);

    Cls();
    SetColor(0, 192, 0);
    int drawn = 0;
    for (int i = 0; i < 20; ++i) {
        const int x1 = 20 + i * 37, y1 = 30 + (i * 53) % 500, x2 = 780 - i * 29, y2 = 580 - i * 11;
        DrawLine(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                 static_cast<float>(y2), true);
        drawn += std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1;
    }
    const int slanted = PresentAndCompare(*driver, "parity_slanted");
    std::cout << "slanted lines: " << slanted << " of " << drawn
              << " line pixels differ between OpenGL and the software renderer" << std::endl;
    testing::Test::RecordProperty("slanted_line_pixels_differing", slanted);
    EXPECT_LE(slanted, drawn / 10);
    graphics.reset();
    ResetHost();
}

// Where OpenGL draws on the processor the window shows frames through the software rasteriser,
// pixel for pixel as OpenGL shows them, frame after frame of a stroke; it redraws only the tiles
// around the cell that changed and does not show an unchanged frame again.
TEST(RealWindow, TheSoftwarePathShowsAStrokeAsOpenGlDoesRedrawingOnlyWhatChanged) {
    const std::shared_ptr<SdlDriver> driver = SharedDriver();
    SetUpHost(driver);
    const Display display = ShippedDisplay();
    const auto map = EveryGlyph();
    std::shared_ptr<TGraphics> graphics = OpenWindow(*driver, RendererRequest::Automatic);
    ASSERT_NE(graphics, nullptr);
    if (std::string(std::getenv("LIBGL_ALWAYS_SOFTWARE") ? std::getenv("LIBGL_ALWAYS_SOFTWARE")
                                                         : "") == "1") {
        EXPECT_EQ(driver->Path(), PresentPath::Software);
    }

    // The whole picture, then a stroke of cells one after the other, then the last frame again.
    std::vector<FrameList> frames{MapsFrame(display, *map)};
    for (int i = 0; i < 12; ++i) {
        map->SetTile(3 + i, 2 + i / 3, 219, static_cast<uint8_t>(40 + i), 0, 1);
        frames.push_back(MapsFrame(display, *map));
    }
    frames.push_back(frames.back());

    graphics = OpenWindow(*driver, RendererRequest::OpenGl);
    ASSERT_NE(graphics, nullptr);
    ASSERT_EQ(driver->Path(), PresentPath::OpenGl);
    std::vector<std::shared_ptr<TPixmap>> openGl;
    for (const FrameList& frame : frames) {
        driver->Present(frame, 0);
        openGl.push_back(driver->LastFrame());
    }

    graphics = OpenWindow(*driver, RendererRequest::Software);
    ASSERT_NE(graphics, nullptr);
    ASSERT_EQ(driver->Path(), PresentPath::Software);
    for (size_t i = 0; i < frames.size(); ++i) {
        const int64_t shownBefore = driver->FramesShown();
        driver->Present(frames[i], 0);
        EXPECT_EQ(
            CountDifferences(driver->LastFrame(), openGl[i], "parity_stroke_" + std::to_string(i)),
            0)
            << "frame " << i;
        if (i == 0) {
            EXPECT_GT(driver->PixelsRedrawn(), 16 * 16 * 16);
        } else if (i + 1 < frames.size()) {
            // The cell at scale one and, where the doubled view shows it, at scale two: a few
            // tiles of 16 x 16 pixels.
            EXPECT_GT(driver->PixelsRedrawn(), 0) << "frame " << i;
            EXPECT_LE(driver->PixelsRedrawn(), 16 * 16 * 16) << "frame " << i;
        } else {
            EXPECT_EQ(driver->FramesShown(), shownBefore) << "an unchanged frame was shown again";
        }
    }
    graphics.reset();
    ResetHost();
}

} // namespace
} // namespace dm
