#include "container_test_support.h"

#include "files/gzip_stream.h"
#include "files/map_limits.h"
#include "files/map_text.h"
#include "files/xp_format.h"
#include "platform/io/memory_stream.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

using test::ByteBuilder;

// Every entry distinct, none of them the transparent colour: index i is (i, 255 - i, 7i).
PalettePlanes TestPalette() {
    PalettePlanes palette{};
    for (int i = 0; i < 256; ++i) {
        palette[i] = static_cast<uint8_t>(i);
        palette[256 + i] = static_cast<uint8_t>(255 - i);
        palette[512 + i] = static_cast<uint8_t>(i * 7);
    }
    return palette;
}

std::vector<uint8_t> Gzip(const std::vector<uint8_t>& bytes) {
    TMemoryStream out;
    GzipWriter gzip(out, 6);
    gzip.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    gzip.Finish();
    return out.TakeBytes();
}

std::vector<uint8_t> Gunzip(std::vector<uint8_t> bytes) {
    TMemoryStream in(std::move(bytes));
    const Expected<std::unique_ptr<GzipReader>> gzip = GzipReader::Open(in);
    EXPECT_TRUE(gzip);
    std::vector<uint8_t> inflated(1 << 16);
    const Expected<int64_t> got = gzip ? (*gzip)->Read(inflated.data(), 1 << 16) : int64_t{0};
    EXPECT_TRUE(got) << (got ? "" : got.Why());
    inflated.resize(static_cast<size_t>(got ? *got : 0));
    return inflated;
}

ByteBuilder& Cell(ByteBuilder& bytes, int32_t glyph, Rgb fg, Rgb bg) {
    return bytes.Int(glyph).Bytes({fg.red, fg.green, fg.blue, bg.red, bg.green, bg.blue});
}

struct XpRead {
    std::shared_ptr<tilemap> map;
    std::vector<std::string> messages;
};

XpRead Read(std::vector<uint8_t> bytes, int layer = kXpAllLayers) {
    TMemoryStream in(std::move(bytes));
    Expected<std::shared_ptr<tilemap>> map = ReadXp(in, TestPalette(), layer);
    if (!map) {
        return {nullptr, {map.Why()}};
    }
    return {std::move(*map), {}};
}

std::vector<uint8_t> Written(const tilemap& map) {
    TMemoryStream out;
    WriteXp(map, TestPalette(), out);
    return out.TakeBytes();
}

TEST(XpFormat, WritesOneLayerColumnByColumnWithNoColourMadeTransparentAndReadsItBack) {
    const auto map = tilemap::Create(2, 2);
    map->SetTile(0, 0, 65, 1, 2, 1);
    map->SetTile(1, 0, 66, 255, 3, 1);
    map->SetTile(0, 1, 67, 4, 255, 1);
    map->SetTile(1, 1, 68, 255, 255, 1);
    const Rgb magenta{255, 0, 255};
    ByteBuilder expected;
    expected.Int(-1).Int(1).Int(2).Int(2);
    Cell(expected, 65, {1, 254, 7}, {2, 253, 14});
    Cell(expected, 67, {4, 251, 28}, magenta);
    Cell(expected, 66, {3, 252, 21}, {3, 252, 21});
    Cell(expected, 68, magenta, magenta);
    const std::vector<uint8_t> file = Written(*map);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 3),
              (std::vector<uint8_t>{0x1F, 0x8B, 8}));
    EXPECT_EQ(Gunzip(file), expected.Result());

    // Noise over many of the reader's buffers comes back whole, foregrounds of 255 aside: they
    // come back as the background's index.
    std::mt19937 random(7);
    const auto noise = test::RandomMap(random, 700, 9, 255);
    const XpRead read = Read(Written(*noise));
    ASSERT_NE(read.map, nullptr);
    EXPECT_EQ(std::pair(read.map->tmapw, read.map->tmaph), std::pair(700, 9));
    EXPECT_EQ(read.map->tmap, noise->tmap);
}

TEST(XpFormat, FlattensUpperLayersOverLowerOnesWhereNotTransparent) {
    const Rgb magenta{255, 0, 255};
    ByteBuilder bytes;
    bytes.Int(-1).Int(2);
    bytes.Int(3).Int(1); // layer 0
    Cell(bytes, 65, {10, 245, 70}, {20, 235, 140});
    Cell(bytes, 66, {11, 244, 77}, magenta);
    Cell(bytes, 67, {12, 243, 84}, magenta);
    bytes.Int(3).Int(1); // layer 1
    Cell(bytes, 97, {30, 225, 210}, magenta);
    Cell(bytes, 98, {31, 224, 217}, {40, 215, 24});
    Cell(bytes, 99, {32, 223, 224}, magenta);
    const std::vector<uint8_t> file = Gzip(bytes.Result());

    const struct {
        int layer;
        std::vector<uint8_t> cells; // glyphs, foregrounds, backgrounds
    } cases[] = {
        {kXpAllLayers, {65, 98, 67, 10, 31, 12, 20, 40, 255}},
        {0, {65, 66, 67, 10, 11, 12, 20, 255, 255}},
        {1, {97, 98, 99, 30, 31, 32, 255, 40, 255}},
    };
    for (const auto& c : cases) {
        const XpRead read = Read(file, c.layer);
        ASSERT_NE(read.map, nullptr) << c.layer;
        EXPECT_EQ(read.map->tmap, c.cells) << c.layer;
        EXPECT_TRUE(read.messages.empty());
    }
}

TEST(XpFormat, ColoursBecomeTheNearestIndexBelow255) {
    // Every entry blue but 0 black, 1 white, 2 and 4 red and 255 dark grey.
    PalettePlanes palette{};
    std::fill(palette.begin() + 512, palette.end(), 255);
    palette[512] = 0;
    palette[1] = palette[256 + 1] = palette[512 + 1] = 255;
    palette[2] = palette[4] = 200;
    palette[512 + 2] = palette[512 + 4] = 0;
    palette[255] = palette[256 + 255] = palette[512 + 255] = 10;
    const std::pair<Rgb, int> cases[] = {
        {{0, 0, 0}, 0},    {{255, 255, 255}, 1},
        {{190, 10, 0}, 2}, {{100, 100, 100}, 0}, // as near black as (200, 0, 0)
        {{10, 10, 10}, 0},                       // 255 means no colour and is never chosen
        {{0, 0, 250}, 3},  {{255, 0, 255}, 1},   // as near white as blue
    };
    ColorMatcher matcher(palette);
    for (int pass = 0; pass < 2; ++pass) { // the second pass answers from the matcher's table
        for (const auto& [color, index] : cases) {
            EXPECT_EQ(matcher.Nearest(color), index) << int{color.red} << "," << int{color.green};
        }
    }
}

TEST(XpFormat, RefusesDamagedShortAndOversizedImages) {
    const auto one = [](int32_t glyph) {
        ByteBuilder bytes;
        return Cell(bytes.Int(-1).Int(1).Int(1).Int(1), glyph, {}, {}).Result();
    };
    std::vector<uint8_t> badChecksum = Written(*tilemap::Create(2, 2));
    badChecksum[badChecksum.size() - 8] ^= 1;
    const std::vector<uint8_t> whole = Written(*tilemap::Create(40, 40));
    const std::vector<uint8_t> halved(whole.begin(), whole.begin() + whole.size() / 2);
    std::vector<uint8_t> shortCells = ByteBuilder().Int(-1).Int(1).Int(2).Int(2).Result();
    shortCells.resize(shortCells.size() + 3 * kXpCellBytes);
    std::vector<uint8_t> twoSizes = one(65);
    twoSizes[4] = 2;
    ByteBuilder wider;
    wider.Int(2).Int(1);
    Cell(Cell(wider, 65, {}, {}), 65, {}, {});
    twoSizes.insert(twoSizes.end(), wider.Result().begin(), wider.Result().end());

    const std::string big = std::to_string(kMaxMapCells);
    const struct {
        std::vector<uint8_t> file;
        std::string message;
    } cases[] = {
        {{'h', 'e', 'l', 'l', 'o'},
         "The .xp image is not an intact gzip stream (incorrect header check)."},
        {{}, "The .xp image is not an intact gzip stream (cut short)."},
        {halved, "The .xp image is not an intact gzip stream (cut short)."},
        {badChecksum, "The .xp image is not an intact gzip stream (incorrect data check)."},
        {Gzip({0xFF, 0xFF}), "The .xp image is cut short: it ends before its version."},
        {Gzip(ByteBuilder().Int(-1).Int(2).Result()),
         "The .xp image is cut short: it ends before the size of layer 0."},
        {Gzip(ByteBuilder().Int(3).Int(1).Result()),
         "Unknown .xp version 3: the format's versions are negative numbers."},
        {Gzip(ByteBuilder().Int(-1).Int(0).Result()),
         "The .xp image declares 0 layers; 1 to 64 are allowed."},
        {Gzip(ByteBuilder().Int(-1).Int(65).Result()),
         "The .xp image declares 65 layers; 1 to 64 are allowed."},
        {Gzip(ByteBuilder().Int(-1).Int(1).Int(4096).Int(4097).Result()),
         "The size of layer 0 of the .xp image, 4096 x 4097, is out of range: a map has at "
         "least 1 x 1 and at most " +
             big + " cells."},
        {Gzip(ByteBuilder().Int(-1).Int(1).Int(-5).Int(2).Result()),
         "The size of layer 0 of the .xp image, -5 x 2, is out of range: a map has at least 1 "
         "x 1 and at most " +
             big + " cells."},
        {Gzip(ByteBuilder().Int(-1).Int(1).Int(4096).Int(4096).Result()),
         "The .xp image is cut short: layer 0 declares 4096 x 4096 cells, more than the rest "
         "of the file can hold."},
        {Gzip(shortCells), "The .xp image is cut short: layer 0 ends after 3 of its 2 x 2 cells."},
        {Gzip(one(256)), "Glyph code 256 at cell 0,0 of layer 0 of the .xp image is above 255; a "
                         "map holds glyphs 0 to 255."},
        {Gzip(one(-1)), "Glyph code 4294967295 at cell 0,0 of layer 0 of the .xp image is above "
                        "255; a map holds glyphs 0 to 255."},
        {Gzip(twoSizes), "The layers of the .xp image differ in size (layer 1 is 2 x 1, layer 0 "
                         "is 1 x 1), so they cannot be flattened; read a single layer instead."},
    };
    for (const auto& c : cases) {
        const XpRead read = Read(c.file);
        EXPECT_EQ(read.map, nullptr) << c.message;
        EXPECT_EQ(read.messages, std::vector<std::string>{c.message});
    }
    const XpRead upper = Read(Gzip(twoSizes), 1);
    ASSERT_NE(upper.map, nullptr);
    // Black is nearest to entry 110, (110, 145, 2).
    EXPECT_EQ(upper.map->tmap, (std::vector<uint8_t>{65, 65, 110, 110, 110, 110}));
    EXPECT_EQ(Read(Gzip(one(65)), 1).messages,
              std::vector<std::string>{"There is no layer 1: the .xp image has 1 layer, counted "
                                       "from 0."});
}

TEST(MapText, AnsiFileRowsWriteReaderControlBytesAsSpaces) {
    const std::string glyphs = {0, 7, 8, 9, 10, 13, 26, 27, 127, '\xFF'};
    const auto map = tilemap::Create(static_cast<int32_t>(glyphs.size()), 1);
    map->InsertString(0, 0, glyphs, 0, 0, 0, 1, 0);
    EXPECT_EQ(AnsiRow(*map, 0, PalettePlanes{}, AnsiTarget::File),
              "\x1b[38;2;0;0;0;48;2;0;0;0m \x07      \x7F\xFF\x1b[0m\r\n");
}

TEST(MapText, TextRowsAreUtf8WithNulAsSpace) {
    const auto map = tilemap::Create(5, 2);
    const std::string glyphs = {0, 'z', '\xB0', '\xFF', 1};
    map->InsertString(0, 1, glyphs, 0, 0, 0, 1, 0);
    EXPECT_EQ(TextRow(*map, 0), "     \n");
    EXPECT_EQ(TextRow(*map, 1), " z\u2591\u00A0\u263A\n");
}

} // namespace
} // namespace dm
