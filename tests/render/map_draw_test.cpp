#include "render/map_draw.h"

#include "support/headless_window.h"
#include "support/test_display.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace dm {
namespace {

using test::kTestGlyphHeight;
using test::kTestGlyphWidth;

constexpr uint32_t kBlack = 0xFF000000u;

// What a window of cells should look like, worked out pixel by pixel from the glyph patterns:
// `shown` holds the expected cells of the window, drawn from screen cell (x, y).
std::shared_ptr<TPixmap> Expected(const tilemap& shown, int x, int y, int scale, int width,
                                  int height, int transparent) {
    auto picture = TPixmap::Create(width, height, PF_RGBA8888, 4);
    picture->ClearPixels(kBlack);
    const auto paintable = [&](int c) { return c != 255 && c != transparent; };
    const int cellW = kTestGlyphWidth * scale, cellH = kTestGlyphHeight * scale;
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const int i = px / cellW - x, j = py / cellH - y;
            if (px < x * cellW || py < y * cellH || i >= shown.tmapw || j >= shown.tmaph) {
                continue;
            }
            uint8_t g = 0, f = 0, b = 0;
            shown.GrabTile(i, j, g, f, b);
            const bool fgPixel = test::TestGlyphPixel(g, px % cellW / scale, py % cellH / scale);
            const int colour = f == b ? f : fgPixel ? f : b;
            // The sheets are each other's complement, so one of the two frames covers the pixel.
            if (paintable(colour)) {
                picture->WritePixel(px, py, test::TestPaletteColor(colour));
            }
        }
    }
    return picture;
}

void ExpectSamePixels(const TPixmap& actual, const TPixmap& expected) {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    int wrong = 0;
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            if (actual.ReadPixel(x, y) != expected.ReadPixel(x, y) && wrong++ < 5) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex
                              << actual.ReadPixel(x, y) << " instead of "
                              << expected.ReadPixel(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

std::shared_ptr<tilemap> RandomMap(int w, int h, unsigned seed) {
    auto map = tilemap::Create(w, h);
    std::mt19937 random(seed);
    for (uint8_t& byte : map->tmap) {
        byte = static_cast<uint8_t>(random());
    }
    return map;
}

// The cells of map from (sx, sy), w x h of them, as their own map.
std::shared_ptr<tilemap> Cut(const tilemap& map, int sx, int sy, int w, int h) {
    auto cut = tilemap::Create(w, h);
    tilemap::CopyRect(map, sx, sy, w, h, *cut, 0, 0, 1);
    return cut;
}

class MapDraw : public testing::Test {
  protected:
    void Open(int cellsAcross, int cellsDown, int scale) {
        display_ = test::TestDisplay(cellsAcross, cellsDown, scale);
        window_ =
            std::make_unique<test::HeadlessWindow>(display_.windowWidth, display_.windowHeight);
    }
    std::shared_ptr<TPixmap> Present() { return window_->Present(); }
    size_t Recorded() const { return CurrentGraphics()->frame.commands.size(); }

    Display display_;
    std::unique_ptr<test::HeadlessWindow> window_;
};

TEST_F(MapDraw, ViewsAreCutToTheMapAndMovedInsideIt) {
    Open(80, 6, 1);
    const auto map = RandomMap(70, 5, 1);
    map->transparentcolor = 300; // every colour but 255 is painted
    struct Case {
        int x, y, viewx, viewy, vieww, viewh;
        int shownX, shownY, shownW, shownH;
    };
    for (const Case c : {
             Case{0, 0, 0, 0, -1, -1, 0, 0, 70, 5},   // the whole map
             Case{2, 1, 100, 0, 64, 64, 6, 0, 64, 5}, // pushed back to column 6
             Case{0, 0, -3, -2, 10, 3, 0, 0, 10, 3},  // negative views start at 0
             Case{5, 0, 60, 4, 20, 1, 50, 4, 20, 1},  // a wide window ending at the map's edge
         }) {
        Draw(*map, display_, c.x, c.y, c.viewx, c.viewy, c.vieww, c.viewh);
        ExpectSamePixels(*Present(),
                         *Expected(*Cut(*map, c.shownX, c.shownY, c.shownW, c.shownH), c.x, c.y, 1,
                                   display_.windowWidth, display_.windowHeight, 300));
    }
    Draw(*map, display_, 0, 0, 0, 0, 0, 5);
    EXPECT_EQ(Recorded(), 0u);
    EXPECT_EQ(map->drawtime, 5);
}

TEST_F(MapDraw, EqualColoursAreOneRectangleAndUnpaintableLayersCostNothing) {
    Open(6, 1, 1);
    auto map = tilemap::Create(6, 1);
    map->transparentcolor = 9;
    map->SetTile(0, 0, 65, 3, 3, 1);     // one solid block of colour 3
    map->SetTile(1, 0, 66, 9, 9, 1);     // both transparent
    map->SetTile(2, 0, 67, 255, 255, 1); // both no colour
    map->SetTile(3, 0, 68, 7, 255, 1);   // only the foreground frame
    map->SetTile(4, 0, 69, 9, 12, 1);    // only the background frame
    map->SetTile(5, 0, 70, 1, 2, 1);     // both frames
    Draw(*map, display_, 0, 0, 0, 0, -1, -1);
    EXPECT_EQ(Recorded(), 1u + 0 + 0 + 1 + 1 + 2);
    ExpectSamePixels(*Present(),
                     *Expected(*map, 0, 0, 1, display_.windowWidth, display_.windowHeight, 9));
}

TEST_F(MapDraw, ScaleTwoDoublesCellsAndTheirPositions) {
    Open(8, 3, 2);
    const auto map = RandomMap(4, 2, 2);
    map->transparentcolor = 17;
    Draw(*map, display_, 3, 1, 0, 0, -1, -1);
    const auto frame = Present();
    ExpectSamePixels(*frame,
                     *Expected(*map, 3, 1, 2, display_.windowWidth, display_.windowHeight, 17));
    EXPECT_EQ(frame->ReadPixel(3 * kTestGlyphWidth * 2 - 1, 6), kBlack); // left of column 3
}

TEST_F(MapDraw, ParticlesBlinkMoveAgeAndExpireOnlyInsideTheWindow) {
    Open(8, 2, 1);
    auto map = tilemap::Create(8, 2);
    map->Fill(32, 1, 2, 1);
    map->transparentcolor = 300;
    map->AddParticle(0.5f, 0, 1, 0, 0, 3, 42, 5, 255); // moves right, three calls
    map->AddParticle(7.9f, 1, 0, 0, 4, -1, 255, 6, 6); // blinks every four calls
    map->AddParticle(6, 0, 0, 0, 0, 1, 43, 255, 7);    // outside the window below
    for (int call = 0; call < 5; ++call) {
        Draw(*map, display_, 0, 0, 0, 0, 6, 2);
        auto shown = Cut(*map, 0, 0, 6, 2);
        if (call < 3) {
            shown->SetTile(call, 0, 42, 5, 255, 0);
        }
        ExpectSamePixels(*Present(), *Expected(*shown, 0, 0, 1, display_.windowWidth,
                                               display_.windowHeight, 300));
    }
    EXPECT_EQ(map->tplist.size(), 2u); // the mover expired after its third call
    EXPECT_EQ(map->tplist.back()->life, 1);

    // Over the whole map the blinker shows while drawtime mod 4 is 0 or 1; the particle of life 1
    // shows once and goes.
    for (int call = 5; call < 12; ++call) {
        const int drawtime = map->drawtime;
        Draw(*map, display_, 0, 0, 0, 0, -1, -1);
        auto shown = Cut(*map, 0, 0, 8, 2);
        if (drawtime % 4 < 2) {
            shown->SetTile(7, 1, 255, 6, 6, 0);
        }
        if (call == 5) {
            shown->SetTile(6, 0, 43, 255, 7, 0);
        }
        ExpectSamePixels(*Present(), *Expected(*shown, 0, 0, 1, display_.windowWidth,
                                               display_.windowHeight, 300));
    }
    EXPECT_EQ(map->tplist.size(), 1u);
    EXPECT_EQ(map->drawtime, 12);
    EXPECT_EQ(map->tmap, Cut(*map, 0, 0, 8, 2)->tmap); // drawing never changes the cells
}

} // namespace
} // namespace dm
