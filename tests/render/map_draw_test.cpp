#include "render/map_draw.h"

#include "files/container_test_support.h"
#include "support/headless_window.h"
#include "support/test_display.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace dm {
namespace {

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

    // Presents the frame and compares it with the cells of `shown` drawn from screen cell (x, y),
    // worked out pixel by pixel from the glyph patterns.
    void ExpectShown(const tilemap& shown, int x, int y, int transparent) {
        const std::shared_ptr<TPixmap> frame = window_->Present();
        const int scale = display_.config.scale;
        const int cellW = test::kTestGlyphWidth * scale, cellH = test::kTestGlyphHeight * scale;
        int wrong = 0;
        for (int py = 0; py < frame->height; ++py) {
            for (int px = 0; px < frame->width; ++px) {
                const int i = px / cellW - x, j = py / cellH - y;
                uint8_t g = 0, f = 255, b = 255;
                if (i >= 0 && j >= 0 && i < shown.tmapw && j < shown.tmaph) {
                    shown.GrabTile(i, j, g, f, b);
                }
                // The sheets are each other's complement: one of the two frames covers a pixel.
                const bool fgPixel =
                    test::TestGlyphPixel(g, px % cellW / scale, py % cellH / scale);
                const int colour = f == b || fgPixel ? f : b;
                const uint32_t expected = colour == 255 || colour == transparent
                                              ? 0xFF000000u
                                              : test::TestPaletteColor(colour);
                if (frame->ReadPixel(px, py) != expected && wrong++ == 0) {
                    ADD_FAILURE() << "first wrong pixel " << px << "," << py << ": " << std::hex
                                  << frame->ReadPixel(px, py) << " instead of " << expected;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    size_t Recorded() const { return CurrentGraphics()->frame.commands.size(); }

    Display display_;
    std::unique_ptr<test::HeadlessWindow> window_;
};

TEST_F(MapDraw, ViewsAreCutToTheMapAndMovedInsideItAtEitherScale) {
    std::mt19937 random(1);
    const auto map = test::RandomMap(random, 70, 5, 256);
    map->transparentcolor = 17;
    struct Case {
        int scale, x, y, viewx, viewy, vieww, viewh;
        int shownX, shownY, shownW, shownH;
    };
    for (const Case c : {
             Case{1, 0, 0, 0, 0, -1, -1, 0, 0, 70, 5},   // the whole map
             Case{1, 2, 1, 100, 0, 64, 64, 6, 0, 64, 5}, // pushed back to column 6
             Case{1, 0, 0, -3, -2, 10, 3, 0, 0, 10, 3},  // negative views start at 0
             Case{1, 5, 0, 60, 4, 20, 1, 50, 4, 20, 1},  // a wide window ending at the map's edge
             Case{2, 3, 1, 0, 0, -1, -1, 0, 0, 70, 5},   // cells and positions doubled
         }) {
        Open(80, 6, c.scale);
        Draw(*map, display_, c.x, c.y, c.viewx, c.viewy, c.vieww, c.viewh);
        ExpectShown(*Cut(*map, c.shownX, c.shownY, c.shownW, c.shownH), c.x, c.y, 17);
    }
    Draw(*map, display_, 0, 0, 0, 0, 0, 5);
    EXPECT_EQ(Recorded(), 0u);
    EXPECT_EQ(map->drawtime, 6);
}

TEST_F(MapDraw, EqualColoursAreOneRectangleAndUnpaintableLayersCostNothing) {
    Open(6, 1, 2);
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
    ExpectShown(*map, 0, 0, 9);
}

TEST_F(MapDraw, ParticlesBlinkMoveAgeAndExpireOnlyInsideTheWindow) {
    Open(8, 2, 1);
    auto map = tilemap::Create(8, 2);
    map->Fill(32, 1, 2, 1);
    map->AddParticle(0.5f, 0, 1, 0, 0, 3, 42, 5, 255); // moves right, three calls
    map->AddParticle(7.9f, 1, 0, 0, 4, -1, 255, 6, 6); // blinks every four calls
    map->AddParticle(6, 0, 0, 0, 0, 1, 43, 255, 7);    // outside the window below
    // A window of six columns for five calls, then the whole map: the blinker shows while
    // drawtime mod 4 is 0 or 1, and the particle of life 1 shows once and goes.
    for (int call = 0; call < 12; ++call) {
        const int drawtime = map->drawtime;
        const int across = call < 5 ? 6 : 8;
        Draw(*map, display_, 0, 0, 0, 0, across, 2);
        auto shown = Cut(*map, 0, 0, across, 2);
        if (call < 3) {
            shown->SetTile(call, 0, 42, 5, 255, 0);
        }
        if (across == 8 && drawtime % 4 < 2) {
            shown->SetTile(7, 1, 255, 6, 6, 0);
        }
        if (call == 5) {
            shown->SetTile(6, 0, 43, 255, 7, 0);
        }
        ExpectShown(*shown, 0, 0, 9);
        if (call == 4) {
            EXPECT_EQ(map->tplist.size(), 2u); // the mover expired after its third call
            EXPECT_EQ(map->tplist.back()->life, 1);
        }
    }
    EXPECT_EQ(map->tplist.size(), 1u);
    EXPECT_EQ(map->tmap, Cut(*map, 0, 0, 8, 2)->tmap); // drawing never changes the cells
}

} // namespace
} // namespace dm
