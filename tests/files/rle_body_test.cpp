#include "files/rle_body.h"

#include "platform/io/memory_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace dm {
namespace {

using Bytes = std::vector<uint8_t>;

std::shared_ptr<tilemap> MapWithCells(int32_t w, int32_t h, const Bytes& cells) {
    auto map = tilemap::Create(w, h);
    map->tmap = cells;
    return map;
}

Bytes WrittenFile(const tilemap& map) {
    TMemoryStream out;
    WriteRLE(map, out);
    return out.Bytes();
}

// The runs alone: the file image minus its 16-byte header and 3-byte trailer.
Bytes WrittenRuns(const tilemap& map) {
    const Bytes file = WrittenFile(map);
    return {file.begin() + 16, file.end() - 3};
}

TEST(RleBody, SingleCellFileImage) {
    const auto map = MapWithCells(1, 1, {65, 7, 0});
    const Bytes expected = {'D',  'M',  'T',  'R', 1,    0, 0,    0, 1, 0,   0,   0,  0xEA,
                            0x01, 0x10, 0x00, 0,   0x41, 0, 0x07, 0, 0, 'E', 'O', 'F'};
    EXPECT_EQ(WrittenFile(*map), expected);
    EXPECT_EQ(rlesize(*map), 6);
}

TEST(RleBody, RunsOfTheDocumentedExamples) {
    const auto zeros = MapWithCells(2, 1, Bytes(6, 0));
    EXPECT_EQ(WrittenRuns(*zeros), (Bytes{0x05, 0x00}));
    EXPECT_EQ(rlesize(*zeros), 2);

    const auto threeHundred = MapWithCells(100, 1, Bytes(300, 0));
    EXPECT_EQ(WrittenRuns(*threeHundred), (Bytes{0xFF, 0x00, 0x2B, 0x00}));

    const auto mixed = MapWithCells(3, 1, {1, 1, 2, 2, 2, 0, 0, 0, 0});
    EXPECT_EQ(WrittenRuns(*mixed), (Bytes{0x01, 0x01, 0x02, 0x02, 0x03, 0x00}));
    EXPECT_EQ(rlesize(*mixed), 6);
}

TEST(RleBody, RunsSplitAfterTwoHundredFiftySixBytes) {
    Bytes exactly(258, 9);
    std::fill_n(exactly.begin(), 256, 7);
    EXPECT_EQ(WrittenRuns(*MapWithCells(86, 1, exactly)), (Bytes{0xFF, 7, 0x01, 9}));

    Bytes oneMore(258, 9);
    std::fill_n(oneMore.begin(), 257, 7);
    EXPECT_EQ(WrittenRuns(*MapWithCells(86, 1, oneMore)), (Bytes{0xFF, 7, 0x00, 7, 0x00, 9}));

    EXPECT_EQ(WrittenRuns(*MapWithCells(256, 1, Bytes(768, 3))),
              (Bytes{0xFF, 3, 0xFF, 3, 0xFF, 3}));
}

TEST(RleBody, RunsCrossPlaneBoundaries) {
    // Glyphs 1 5, foregrounds 5 2, backgrounds 3 3: the last glyph and first foreground join.
    const auto map = MapWithCells(2, 1, {1, 5, 5, 2, 3, 3});
    EXPECT_EQ(WrittenRuns(*map), (Bytes{0x00, 1, 0x01, 5, 0x00, 2, 0x01, 3}));
    EXPECT_EQ(rlesize(*map), 8);
}

// Why runs were refused; "accepted" when they were not.
std::string WhyRefused(const Outcome& decoded) {
    return decoded ? "accepted" : decoded.Why();
}

TEST(RleBody, MapWithoutCellsHasAnEmptyBody) {
    const auto empty = tilemap::Create(0, 0);
    EXPECT_EQ(rlesize(*empty), 0);
    EXPECT_EQ(WrittenRuns(*empty), Bytes{});

    TMemoryStream in(Bytes{0x05, 0x00});
    EXPECT_TRUE(ReadRLE(in, *empty));
    EXPECT_EQ(in.Pos(), 0);
}

TEST(RleBody, RandomMapsRoundTrip) {
    std::mt19937 random(7);
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {3, 2}, {17, 9}, {64, 64}, {300, 7}};
    for (const auto& [w, h] : sizes) {
        for (const int runBias : {0, 3, 400}) {
            auto original = tilemap::Create(w, h);
            uint8_t value = 0;
            for (uint8_t& cell : original->tmap) {
                if (static_cast<int>(random() % 1000) >= runBias) {
                    value = static_cast<uint8_t>(random());
                }
                cell = value;
            }
            original->tmap.back() = 255;
            const Bytes file = WrittenFile(*original);
            EXPECT_EQ(static_cast<int64_t>(file.size()), 16 + rlesize(*original) + 3);

            TMemoryStream in(file);
            in.SkipBytes(16);
            auto decoded = tilemap::Create(w, h);
            ASSERT_TRUE(ReadRLE(in, *decoded));
            EXPECT_EQ(decoded->tmap, original->tmap) << w << " x " << h;
            EXPECT_EQ(in.ReadString(3), "EOF");
        }
    }
}

TEST(RleBody, DecodingRefusesARunPastTheCells) {
    auto map = tilemap::Create(1, 1);
    TMemoryStream in(Bytes{0x00, 0x01, 0x02, 0x09, 'E', 'O', 'F'});
    EXPECT_EQ(WhyRefused(ReadRLE(in, *map)), kRleRunPastEnd);
    EXPECT_EQ(map->tmap, (Bytes{1, 0, 0}));
    EXPECT_EQ(map->tmap.size(), 3u);

    auto whole = tilemap::Create(1, 1);
    TMemoryStream single(Bytes{0xFF, 0x2A});
    EXPECT_EQ(WhyRefused(ReadRLE(single, *whole)), kRleRunPastEnd);
    EXPECT_EQ(whole->tmap, (Bytes{0, 0, 0}));
}

TEST(RleBody, DecodingReportsTheEndOfTheStream) {
    auto shortRuns = tilemap::Create(2, 1);
    TMemoryStream runsMissing(Bytes{0x01, 0x04});
    EXPECT_EQ(WhyRefused(ReadRLE(runsMissing, *shortRuns)), kRleCutShort);
    EXPECT_EQ(shortRuns->tmap, (Bytes{4, 4, 0, 0, 0, 0}));

    auto halfRun = tilemap::Create(1, 1);
    TMemoryStream valueMissing(Bytes{0x00, 0x01, 0x00});
    EXPECT_EQ(WhyRefused(ReadRLE(valueMissing, *halfRun)), kRleCutShort);

    auto nothing = tilemap::Create(1, 1);
    TMemoryStream empty;
    EXPECT_EQ(WhyRefused(ReadRLE(empty, *nothing)), kRleCutShort);
}

} // namespace
} // namespace dm
