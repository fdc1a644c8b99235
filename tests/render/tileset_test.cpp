#include "render/tileset.h"

#include "platform/drawing/timage.h"
#include "platform/fatal_error.h"
#include "platform/pictures/pixmap.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>

namespace dm {
namespace {

std::string FatalMessage(const std::string& path, const DisplayConfig& config = {}) {
    try {
        LoadTileset(path, config);
    } catch (const FatalError& error) {
        return error.what();
    }
    return "";
}

TEST(TilesetPaths, ExtensionGivesWayToSheetSuffixes) {
    for (const auto& [path, sheets] :
         {std::pair{"art\\glyphs.png", "art/glyphs"}, std::pair{"art.d\\glyphs", "art.d/glyphs"},
          std::pair{"data\\image\\curses.png", "data/image/curses"}}) {
        EXPECT_EQ(ForegroundSheetPath(path), std::string(sheets) + "_fg.png");
        EXPECT_EQ(BackgroundSheetPath(path), std::string(sheets) + "_bg.png");
    }
}

class TilesetFiles : public testing::Test {
  protected:
    // Writes both sheets for the tileset path folder/name and returns that path with
    // backslashes, as a configuration names it.
    std::string WriteSheets(const std::string& name, int fgWidth, int fgHeight, int bgWidth,
                            int bgHeight) {
        const std::string base = folder_.Path(name);
        std::filesystem::create_directories(std::filesystem::path(base).parent_path());
        test::WritePicture(base + "_fg.png", fgWidth, fgHeight, kPixelFormatRGB888,
                           test::PositionColor);
        test::WritePicture(base + "_bg.png", bgWidth, bgHeight, kPixelFormatRGBA8888,
                           test::PositionColor);
        std::string configured = base + ".png";
        std::replace(configured.begin(), configured.end(), '/', '\\');
        return configured;
    }

    test::TempFolder folder_;
};

TEST_F(TilesetFiles, GlyphSizeComesFromTheForegroundSheet) {
    struct Case {
        int width, height, glyphWidth, glyphHeight;
    };
    for (const Case c : {Case{128, 128, 8, 8}, Case{160, 256, 10, 16}, Case{16, 16, 1, 1},
                         Case{130, 200, 8, 12}, Case{4080, 16, 255, 1}}) {
        const std::string path = WriteSheets("glyphs", c.width, c.height, c.width, c.height);
        const Tileset tileset = LoadTileset(path, DisplayConfig{});
        EXPECT_EQ(tileset.GlyphWidth, c.glyphWidth) << c.width << "x" << c.height;
        EXPECT_EQ(tileset.GlyphHeight, c.glyphHeight) << c.width << "x" << c.height;
    }

    // The default path selects the configured tileset; a misspelt one is a plain path.
    DisplayConfig config;
    config.tileset = WriteSheets("art.d/glyphs", 128, 128, 128, 128);
    config.tileset.resize(config.tileset.size() - 4); // no extension after the last slash
    const Tileset tileset = LoadTileset("?USE_DEAFULT", config);
    EXPECT_EQ(tileset.GlyphWidth, 8);
    EXPECT_EQ(FatalMessage("?USE_DEFAULT", config), "Failed to load ?USE_DEFAULT_fg.png");
}

TEST_F(TilesetFiles, SheetsAreCutSixteenGlyphsToARow) {
    const std::string path = WriteSheets("glyphs", 130, 200, 128 + 40, 192);
    const Tileset tileset = LoadTileset(path, DisplayConfig{});
    for (const TImage* sheet : {tileset.ForegroundSheet.get(), tileset.BackgroundSheet.get()}) {
        ASSERT_EQ(sheet->FrameCount(), 256);
        EXPECT_EQ(sheet->flags, kImageMasked);
        EXPECT_EQ(sheet->width, 8);
        EXPECT_EQ(sheet->height, 12);
        for (int glyph : {0, 1, 15, 16, 17, 255}) {
            const std::shared_ptr<TPixmap>& frame = sheet->pixmaps[glyph];
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(frame->width, 8);
            EXPECT_EQ(frame->height, 12);
            EXPECT_EQ(frame->ReadPixel(0, 0),
                      test::PositionColor(8 * (glyph % 16), 12 * (glyph / 16)))
                << glyph;
            EXPECT_EQ(frame->ReadPixel(7, 11),
                      test::PositionColor(8 * (glyph % 16) + 7, 12 * (glyph / 16) + 11))
                << glyph;
        }
    }
}

TEST_F(TilesetFiles, MissingOrUnusableSheetsAreFatal) {
    const std::string base = folder_.Path("glyphs");
    const std::string path = base + ".png";
    EXPECT_EQ(FatalMessage(path), "Failed to load " + base + "_fg.png");

    test::WritePicture(base + "_fg.png", 128, 128, kPixelFormatRGB888, test::PositionColor);
    EXPECT_EQ(FatalMessage(path), "Failed to load tileset image " + base + "_bg.png");

    // A background sheet must hold 16 x 16 glyphs of the foreground glyph size.
    test::WritePicture(base + "_bg.png", 127, 128, kPixelFormatRGB888, test::PositionColor);
    EXPECT_EQ(FatalMessage(path), "Failed to load tileset image " + base + "_bg.png");
    test::WritePicture(base + "_bg.png", 128, 120, kPixelFormatRGB888, test::PositionColor);
    EXPECT_EQ(FatalMessage(path), "Failed to load tileset image " + base + "_bg.png");

    folder_.Write("glyphs_bg.png", "not a picture");
    EXPECT_EQ(FatalMessage(path), "Failed to load tileset image " + base + "_bg.png");
}

TEST_F(TilesetFiles, SheetsTooSmallOrTooLargeForByteSizedGlyphsAreRefused) {
    for (const auto& [width, height] :
         {std::pair{15, 128}, std::pair{128, 15}, std::pair{4096, 16}, std::pair{16, 4096}}) {
        const std::string path = WriteSheets("glyphs", width, height, 16, 16);
        EXPECT_EQ(FatalMessage(path), "Tileset image " + folder_.Path("glyphs_fg.png") + " is " +
                                          std::to_string(width) + " x " + std::to_string(height) +
                                          " pixels; a sheet of 16 x 16 glyphs must be 16 to "
                                          "4080 pixels across and down");
    }
}

} // namespace
} // namespace dm
