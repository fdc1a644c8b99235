#include "files/container_test_support.h"
#include "platform/pictures/png_test_files.h"
#include "tool_run.h"

#include "files/tilemap_file.h"
#include "picture_art/glyph_masks.h"
#include "picture_art/glyph_set.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

namespace dm {
namespace {

using test::ContainerTempFolder;
using test::ToolRun;

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

std::string Report(int columns, int rows, const std::string& rms, const std::string& psnr) {
    return std::to_string(columns) + " x " + std::to_string(rows) + " cells, glyphs all" +
           "\nmean error per pixel: " + rms +
           " (root mean square difference of a channel in linear light, 0-255)\nPSNR: " + psnr +
           " dB\n";
}

using Cell = std::tuple<int, int, int>; // glyph, foreground, background

Cell CellAt(const tilemap& map, int x, int y) {
    uint8_t glyph = 0;
    uint8_t fg = 0;
    uint8_t bg = 0;
    map.GrabTile(x, y, glyph, fg, bg);
    return {glyph, fg, bg};
}

class DtmtoolArt : public testing::Test {
  protected:
    // A look of 8 x 8 glyphs (0 and 32 blank, the others striped by their code) and a palette
    // of white, black, sky, a green, then greys.
    void SetUp() override {
        WritePicture("glyphs_fg.png", 128, 128, [](int x, int y) {
            const int code = y / 8 * 16 + x / 8;
            return code != 0 && code != 32 && (x + y * code) % 3 == 0 ? kWhite : kBlack;
        });
        WritePicture("glyphs_bg.png", 128, 128, [](int, int) { return kWhite; });
        WritePicture("colours.png", 16, 16, [](int x, int y) {
            const uint32_t fixed[] = {0xFFFFFF, 0x000000, 0x82DCFF, 0x5ABE46};
            const int i = y * 16 + x;
            return 0xFF000000u | (i < 4 ? fixed[i] : static_cast<uint32_t>(i) * 0x010101u);
        });
        std::ofstream(folder_.Path("look.txt"))
            << "tileset " << folder_.Path("glyphs.png") << "\npallet "
            << folder_.Path("colours.png") << "\n";
    }

    void WritePicture(const std::string& name, int width, int height,
                      const std::function<uint32_t(int, int)>& colorAt) {
        const auto picture = TPixmap::Create(width, height, kPixelFormatRGB888, 4);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                picture->WritePixel(x, y, colorAt(x, y));
            }
        }
        ASSERT_TRUE(WritePixmapPNG(*picture, folder_.Path(name), 1));
    }

    // "dtmtool art" from inside the test folder, with the test look unless told otherwise.
    ToolRun Art(std::vector<std::string> args, bool testLook = true) {
        if (testLook) {
            args.insert(args.begin(), {"--config", "look.txt"});
        }
        args.insert(args.begin(), "art");
        return test::RunDtmtool(args, folder_);
    }

    std::shared_ptr<tilemap> ReadMap(const std::string& name) {
        return Read(folder_.Path(name), [](const std::string&, const std::string&) {});
    }

    ContainerTempFolder folder_;
};

TEST_F(DtmtoolArt, AnExportedMapComesBackCellForCellOrRenderingTheSame) {
    std::mt19937 random(29);
    const auto map = tilemap::Create(21, 9);
    for (size_t i = 0; i < map->tmap.size(); ++i) {
        map->tmap[i] = static_cast<uint8_t>(i < 21 * 9 ? random() % 256 : random() % 255);
    }
    testing::internal::CaptureStdout();
    ASSERT_EQ(Save(*map, folder_.Path("drawn.dtm")), 1);
    testing::internal::GetCapturedStdout();
    // With the shipped art beside the program, as the default configuration names it.
    ASSERT_EQ(test::RunDtmtool({"export", "drawn.dtm", "drawn.png"}, folder_).status, 0);
    const ToolRun run = Art({"drawn.png", "back.dtm", "--report"}, false);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.ends_with(Report(21, 9, "0.00", "inf"))) << run.out;

    const std::filesystem::path images =
        std::filesystem::path(DTMTOOL_PATH).parent_path() / "data/image";
    const auto sheet = LoadPixmap((images / "curses_fg.png").string());
    const auto palette = LoadPixmap((images / "pallet.png").string());
    ASSERT_TRUE(sheet && palette);
    const GlyphMasks masks(*sheet, sheet->width / 16, sheet->height / 16);
    const auto color = [&](int index) {
        return palette->ReadPixel(index % palette->width, index / palette->width);
    };
    const std::shared_ptr<tilemap> back = ReadMap("back.dtm");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->tmapw, 21);
    ASSERT_EQ(back->tmaph, 9);
    int same = 0;
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 21; ++x) {
            const Cell drawn = CellAt(*map, x, y);
            const Cell found = CellAt(*back, x, y);
            same += drawn == found;
            const auto pixel = [&](const Cell& cell, int p) {
                const auto [glyph, fg, bg] = cell;
                return color(masks.Glyph(glyph)[p] ? fg : bg);
            };
            for (int p = 0; p < masks.PixelCount(); ++p) {
                ASSERT_EQ(pixel(drawn, p), pixel(found, p))
                    << x << "," << y << " drawn " << testing::PrintToString(drawn) << " found "
                    << testing::PrintToString(found);
            }
        }
    }
    // Only cells with a twin rendering (a blank glyph, one colour, twin glyphs) may differ.
    EXPECT_GT(same, 21 * 9 * 3 / 4);
}

// The nearest entry, green 0x5ABE46, is off by linear (78, -197, 116) of 32767: an RMS of 1.09
// of 255 and a PSNR of 47.42 dB. Black and white pictures are the cells of EveryKindOfPngConverts.
TEST_F(DtmtoolArt, AFlatPictureIsOneCellEverywhereAndReportsItsError) {
    WritePicture("flat.png", 40, 30, [](int, int) { return 0xFF5BBD48u; });
    const ToolRun run = Art({"flat.png", "flat.dtm", "--report"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.ends_with(Report(5, 4, "1.09", "47.42"))) << run.out;
    const std::shared_ptr<tilemap> map = ReadMap("flat.dtm");
    ASSERT_TRUE(map);
    for (int i = 0; i < map->tmapw * map->tmaph; ++i) {
        ASSERT_EQ(CellAt(*map, i % map->tmapw, i / map->tmapw), (Cell{32, 3, 3})) << i;
    }
}

// Each colour type, with and without a transparent colour, reaches the map: black, white, then a
// third cell transparent where the kind can say so (else white). Decoding bit depths and
// interlacing is the PNG reader's to test.
TEST_F(DtmtoolArt, EveryKindOfPngConverts) {
    for (const int colorType : {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                PNG_COLOR_TYPE_RGBA, PNG_COLOR_TYPE_PALETTE}) {
        for (const bool transparentColor : {false, true}) {
            const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
            if (alpha && transparentColor) {
                continue;
            }
            const bool paletted = colorType == PNG_COLOR_TYPE_PALETTE;
            const bool transparent = alpha || transparentColor;
            test::PngPicture picture = test::Picture(24, 8, colorType, 8);
            if (paletted) {
                picture.palette = {{0, 0, 0}, {255, 255, 255}, {10, 20, 30}};
                if (transparentColor) {
                    picture.paletteAlpha = {255, 255, 0};
                }
            } else if (transparentColor) {
                picture.hasTransparentColor = true;
                picture.transparentColor = {0, 1, 1, 1, 1};
            }
            const int channels = paletted ? 1 : (colorType & PNG_COLOR_MASK_COLOR ? 3 : 1) + alpha;
            for (int i = 0; i < 24 * 8; ++i) {
                const int cell = i % 24 / 8;
                const int color = cell == 0 ? 0 : cell == 1 || !transparentColor ? 255 : 1;
                for (int c = 0; c < channels; ++c) {
                    const bool alphaChannel = alpha && c == channels - 1;
                    picture.rows.push_back(
                        static_cast<uint8_t>(paletted       ? (cell == 2 && !transparent ? 1 : cell)
                                             : alphaChannel ? (cell == 2 ? 0 : 255)
                                                            : color));
                }
            }
            const std::string what =
                "colour type " + std::to_string(colorType) + (transparentColor ? " with tRNS" : "");
            test::WriteFileBytes(folder_.Path("kind.png"), test::EncodePng(picture));
            const ToolRun run = Art({"kind.png", "kind.dtm", "--background", "2"});
            ASSERT_EQ(run.status, 0) << what << ": " << run.err;
            const std::shared_ptr<tilemap> map = ReadMap("kind.dtm");
            ASSERT_TRUE(map) << what;
            ASSERT_EQ(std::make_pair(map->tmapw, map->tmaph), std::make_pair(3, 1)) << what;
            EXPECT_EQ(CellAt(*map, 0, 0), (Cell{32, 1, 1})) << what;
            EXPECT_EQ(CellAt(*map, 1, 0), (Cell{32, 0, 0})) << what;
            EXPECT_EQ(CellAt(*map, 2, 0), (transparent ? Cell{32, 2, 2} : Cell{32, 0, 0})) << what;
        }
    }
}

TEST_F(DtmtoolArt, GlyphSetsColumnsAndOutputFormats) {
    std::mt19937 random(31);
    WritePicture("noise.png", 64, 48, [&random](int, int) { return kBlack | random(); });
    // Which codes each set holds is the library's; here, that the option reaches it.
    const ToolRun run = Art({"noise.png", "set.dtm", "--glyphs", "blocks", "--columns", "16"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::shared_ptr<tilemap> map = ReadMap("set.dtm");
    ASSERT_TRUE(map);
    EXPECT_EQ(map->tmapw, 16);
    EXPECT_EQ(map->tmaph, 12);
    const std::vector<uint8_t> blocks = GlyphCodes(GlyphSet::Blocks);
    for (int i = 0; i < 16 * 12; ++i) {
        const uint8_t glyph = map->tmap[static_cast<size_t>(i)];
        EXPECT_NE(std::find(blocks.begin(), blocks.end(), glyph), blocks.end()) << int{glyph};
    }

    // The writers are convert's; here, that the extension picks one and the look's palette reaches
    // it.
    WritePicture("white.png", 24, 16, [](int, int) { return kWhite; });
    ASSERT_EQ(Art({"white.png", "white.TXT"}).status, 0);
    EXPECT_EQ(test::FileText(folder_.Path("white.TXT")), "   \n   \n");
    ASSERT_EQ(Art({"white.png", "white.ans"}).status, 0);
    EXPECT_TRUE(test::FileText(folder_.Path("white.ans")).find("255;255;255") != std::string::npos);
}

TEST_F(DtmtoolArt, BadInputIsRefusedWithoutAnOutputFile) {
    WritePicture("tall.png", 8, 400, [](int, int) { return kWhite; });
    test::WriteFileBytes(folder_.Path("broken.png"), {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0});
    const std::string columns = "dtmtool: --columns needs a number of columns from 1 to 16777216\n";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string error;
    } cases[] = {
        {{"tall.png", "out.dtm", "--columns", "0"}, 2, columns},
        {{"tall.png", "out.dtm", "--columns", "12x"}, 2, columns},
        {{"tall.png", "out.dtm", "--columns"}, 2, "dtmtool: --columns needs a value\n"},
        {{"tall.png", "out.dtm", "--columns", "8000"},
         1,
         "dtmtool: tall.png at 8000 columns: 8000 x 400000 cells are more than the 16777216 a "
         "map may have\n"},
        {{"broken.png", "out.dtm"},
         1,
         "dtmtool: cannot read broken.png as a picture: it is not a PNG file, is damaged, or "
         "has over 67108864 pixels\n"},
        {{"missing.png", "out.dtm"}, 1, "dtmtool: cannot open missing.png\n"},
        {{"tall.png", "out.png"},
         2,
         "dtmtool: cannot tell the format of out.png from its extension; use .dtm, .xp, .ans or "
         ".txt\n"},
        {{"tall.png", "out.dtm", "--glyphs", "box"},
         2,
         "dtmtool: --glyphs needs all, blocks or ascii\n"},
        {{"tall.png", "out.dtm", "--background", "255"},
         2,
         "dtmtool: --background needs a palette index from 0 to 254\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Art(c.args);
        EXPECT_EQ(run.status, c.status) << c.error;
        EXPECT_TRUE(run.err.starts_with(c.error)) << run.err;
        EXPECT_EQ(c.status == 2, run.err.find("usage: dtmtool art") != std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(folder_.Path(c.args[1]))) << c.args[1];
    }
}

} // namespace
} // namespace dm
