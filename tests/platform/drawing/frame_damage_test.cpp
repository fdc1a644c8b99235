#include "platform/drawing/frame_damage.h"

#include "platform/drawing/software_renderer.h"
#include "platform/drawing/timage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

namespace dm {
namespace {

DrawCommand Command(DrawKind kind, float x0, float y0, float x1, float y1) {
    return {.kind = kind, .red = 200, .x0 = x0, .y0 = y0, .x1 = x1, .y1 = y1};
}

TEST(FrameDamage, CommandBoundsHoldEveryPixelACommandCanTouchWithinTheWindow) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        DrawCommand command;
        PixelRect bounds;
    };
    const Case cases[] = {
        {Command(DrawKind::Clear, 5, 5, 6, 6), {0, 0, 100, 50}},
        {Command(DrawKind::Rect, 8, 14, 16, 28), {8, 14, 8, 14}},
        {Command(DrawKind::Frame, 2.5f, 3.25f, 10.5f, 17.75f), {2, 3, 9, 15}},
        {Command(DrawKind::Rect, -20, -3, 4, 2), {0, 0, 4, 2}},
        {Command(DrawKind::Frame, 96, 40, 120, 70), {96, 40, 4, 10}},
        {Command(DrawKind::Rect, 100, 0, 108, 14), {100, 0, 0, 14}},
        {Command(DrawKind::Rect, -1e30f, 0, 1e30f, 1), {0, 0, 100, 1}},
        {Command(DrawKind::Line, 30, 20, 10, 5), {10, 5, 21, 16}},
        {Command(DrawKind::Line, 7, 7, 7, 7), {7, 7, 1, 1}},
        {Command(DrawKind::Frame, nan, 0, 8, 8), {0, 0, 100, 50}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommandBounds(c.command, 100, 50), c.bounds)
            << static_cast<int>(c.command.kind) << " " << c.command.x0 << "," << c.command.y0;
    }
}

TEST(FrameDamage, MarkedTilesBecomeFewRectanglesClippedToTheWindow) {
    // 70 x 45 pixels: five columns of tiles, the last 6 wide, and three rows, the last 13 high.
    DamageGrid grid(70, 45);
    EXPECT_EQ(grid.Columns(), 5);
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_TRUE(grid.IsEmpty());
    EXPECT_TRUE(grid.Rectangles().empty());

    grid.Mark({17, 1, 2, 2});  // inside tile (1, 0)
    grid.Mark({20, 20, 0, 9}); // empty: marks nothing
    EXPECT_EQ(grid.Rectangles(), (std::vector<PixelRect>{{16, 0, 16, 16}}));

    grid.Mark({17, 17, 2, 20}); // tiles (1, 1) and (1, 2): joins the run above
    grid.Mark({66, 0, 30, 1});  // the last column, clipped
    grid.Mark({50, 40, 2, 99}); // tile (3, 2), clipped
    EXPECT_EQ(grid.Rectangles(),
              (std::vector<PixelRect>{{16, 0, 16, 45}, {64, 0, 6, 16}, {48, 32, 16, 13}}));
    EXPECT_FALSE(grid.IsFull());

    // A row whose run is wider does not join the narrower run above it.
    DamageGrid steps(64, 48);
    steps.Mark({0, 0, 16, 16});
    steps.Mark({0, 16, 32, 16});
    steps.Mark({0, 32, 32, 16});
    EXPECT_EQ(steps.Rectangles(), (std::vector<PixelRect>{{0, 0, 16, 16}, {0, 16, 32, 32}}));

    steps.MarkAll();
    EXPECT_TRUE(steps.IsFull());
    EXPECT_EQ(steps.Rectangles(), (std::vector<PixelRect>{{0, 0, 64, 48}}));
}

TEST(FrameDamage, OnlyCommandsThatDifferOrAreAddedOrRemovedMarkTheirTiles) {
    FrameList before;
    before.commands = {Command(DrawKind::Clear, 0, 0, 0, 0), Command(DrawKind::Rect, 0, 0, 8, 14),
                       Command(DrawKind::Frame, 40, 0, 48, 14)};
    EXPECT_TRUE(FrameDamage(before, before, 64, 64).IsEmpty());

    const auto rectangles = [&before](const FrameList& after) {
        return FrameDamage(before, after, 64, 64).Rectangles();
    };
    FrameList recoloured = before;
    recoloured.commands[2].green = 1;
    EXPECT_EQ(rectangles(recoloured), (std::vector<PixelRect>{{32, 0, 16, 16}}));

    // Another image at the same place is a change, even at the address of the one before.
    FrameList otherImage = before;
    otherImage.commands[2].imageId = 7;
    EXPECT_EQ(rectangles(otherImage), (std::vector<PixelRect>{{32, 0, 16, 16}}));

    // Moved: both where it was and where it is now.
    FrameList moved = before;
    moved.commands[1].y0 += 40;
    moved.commands[1].y1 += 40;
    EXPECT_EQ(rectangles(moved), (std::vector<PixelRect>{{0, 0, 16, 16}, {0, 32, 16, 32}}));

    FrameList added = before;
    added.commands.push_back(Command(DrawKind::Line, 20, 50, 20, 60));
    EXPECT_EQ(rectangles(added), (std::vector<PixelRect>{{16, 48, 16, 16}}));

    FrameList removed = before;
    removed.commands.pop_back();
    EXPECT_EQ(rectangles(removed), (std::vector<PixelRect>{{32, 0, 16, 16}}));

    // Put in or taken out in the middle, the commands after it, though moved, are unchanged.
    FrameList putIn = before;
    putIn.commands.insert(putIn.commands.begin() + 2, Command(DrawKind::Rect, 20, 50, 30, 60));
    EXPECT_EQ(rectangles(putIn), (std::vector<PixelRect>{{16, 48, 16, 16}}));
    FrameList takenOut = before;
    takenOut.commands.erase(takenOut.commands.begin() + 1);
    EXPECT_EQ(rectangles(takenOut), (std::vector<PixelRect>{{0, 0, 16, 16}}));

    FrameList cleared = before;
    cleared.commands[0].blue = 9;
    EXPECT_TRUE(FrameDamage(before, cleared, 64, 64).IsFull());
}

// Four 5 x 7 frames with holes, so that drawing one over another leaves some of each.
std::shared_ptr<TImage> HoledSheet() {
    std::shared_ptr<TPixmap> sheet = TPixmap::Create(20, 7, kPixelFormatRGBA8888, 4);
    for (int y = 0; y < sheet->height; ++y) {
        for (int x = 0; x < sheet->width; ++x) {
            const bool hole = (x * 7 + y * 3) % 5 < 2;
            const uint32_t colour = 0x00103050u + static_cast<uint32_t>(x * 9 + y * 31) * 0x010305u;
            sheet->WritePixel(x, y, (hole ? 0x40000000u : 0xFF000000u) | (colour & 0xFFFFFF));
        }
    }
    return TImage::LoadAnim(sheet, 5, 7, 0, 4, 0, MaskColor{});
}

class RandomScene {
  public:
    RandomScene(const TImage& image, int width, int height)
        : image_(image), width_(width), height_(height) {}

    DrawCommand Any() {
        DrawCommand command;
        const int kind = Pick(0, 9);
        command.kind = kind == 0  ? DrawKind::Clear
                       : kind < 4 ? DrawKind::Rect
                       : kind < 8 ? DrawKind::Frame
                                  : DrawKind::Line;
        command.red = static_cast<uint8_t>(Pick(0, 255));
        command.green = static_cast<uint8_t>(Pick(0, 255));
        command.blue = static_cast<uint8_t>(Pick(0, 255));
        // Whole, half and quarter pixels, some beyond the window's edges.
        const auto at = [this](int size) {
            return static_cast<float>(Pick(-40, 4 * size + 40)) / 4;
        };
        command.x0 = at(width_);
        command.y0 = at(height_);
        if (command.kind == DrawKind::Line) {
            command.x0 = std::floor(command.x0);
            command.y0 = std::floor(command.y0);
            command.x1 = static_cast<float>(Pick(-5, width_ + 5));
            command.y1 = static_cast<float>(Pick(-5, height_ + 5));
            command.lastPixel = Pick(0, 1) == 1;
        } else {
            const float scale = static_cast<float>(Pick(1, 3));
            command.x1 = command.x0 + 5 * scale;
            command.y1 = command.y0 + 7 * scale;
        }
        if (command.kind == DrawKind::Frame) {
            command.image = &image_;
            command.imageId = image_.Id();
            command.frame = Pick(0, 3);
        }
        return command;
    }

    // A few changes of the kinds an editor's frame sees: a colour, a place, a command more or
    // less.
    FrameList Changed(FrameList frame) {
        std::vector<DrawCommand>& commands = frame.commands;
        for (int changes = Pick(0, 3); changes > 0; --changes) {
            const int what = Pick(0, 9);
            if (commands.empty() || what == 0) {
                commands.insert(commands.begin() + Pick(0, static_cast<int>(commands.size())),
                                Any());
            } else if (what == 1) {
                commands.erase(commands.begin() + Pick(0, static_cast<int>(commands.size()) - 1));
            } else {
                DrawCommand& command =
                    commands[static_cast<size_t>(Pick(0, static_cast<int>(commands.size()) - 1))];
                if (what < 6) {
                    command.green = static_cast<uint8_t>(command.green + 1);
                } else if (command.kind != DrawKind::Clear) {
                    const float dx = static_cast<float>(Pick(-9, 9));
                    command.x0 += dx;
                    command.x1 += dx;
                }
            }
        }
        return frame;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  private:
    const TImage& image_;
    int width_;
    int height_;
    std::mt19937 random_{20240611};
};

// Redrawing only the damage of each change leaves, frame after frame, exactly the pixels of the
// whole frame drawn from black.
TEST(FrameDamage, RedrawingTheDamageGivesTheWholeFramesPixelsFrameAfterFrame) {
    constexpr int kWidth = 70, kHeight = 45;
    const std::shared_ptr<TImage> image = HoledSheet();
    RandomScene scene(*image, kWidth, kHeight);
    FrameList frame;
    for (int i = 0; i < 30; ++i) {
        frame.commands.push_back(scene.Any());
    }
    std::erase_if(frame.commands,
                  [](const DrawCommand& command) { return command.kind == DrawKind::Clear; });
    std::shared_ptr<TPixmap> kept = TPixmap::Create(kWidth, kHeight, kPixelFormatRGBA8888, 4);
    kept->ClearPixels(0xFF000000u);
    RasterizeFrame(frame, *kept);
    int partial = 0;
    for (int step = 0; step < 300; ++step) {
        const FrameList next = scene.Changed(frame);
        const DamageGrid damage = FrameDamage(frame, next, kWidth, kHeight);
        partial += !damage.IsEmpty() && !damage.IsFull() ? 1 : 0;
        RasterizeDamage(next, damage, *kept);
        std::shared_ptr<TPixmap> whole = TPixmap::Create(kWidth, kHeight, kPixelFormatRGBA8888, 4);
        whole->ClearPixels(0xFF000000u);
        RasterizeFrame(next, *whole);
        int differing = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                differing += kept->ReadPixel(x, y) != whole->ReadPixel(x, y) ? 1 : 0;
            }
        }
        ASSERT_EQ(differing, 0) << "step " << step;
        frame = next;
    }
    // Most changes were redrawn in part, which is what is being tested.
    EXPECT_GT(partial, 150);
}

TEST(FrameDamage, RedrawingRefusesAPictureOfAnotherSizeOrFormat) {
    const FrameList frame{{Command(DrawKind::Rect, 0, 0, 4, 4)}};
    std::shared_ptr<TPixmap> rgb = TPixmap::Create(8, 8, kPixelFormatRGB888, 4);
    std::shared_ptr<TPixmap> rgba = TPixmap::Create(8, 8, kPixelFormatRGBA8888, 4);
    EXPECT_THROW(RasterizeDamage(frame, DamageGrid(8, 8), *rgb), std::invalid_argument);
    EXPECT_THROW(RasterizeDamage(frame, DamageGrid(9, 8), *rgba), std::invalid_argument);
}

} // namespace
} // namespace dm
