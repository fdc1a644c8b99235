#include "picture_art/glyph_search.h"
#include "picture_art/palette_nearest.h"
#include "picture_art/picture_art.h"
#include "picture_art/picture_scaler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <stdexcept>
#include <tuple>

namespace dm {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The linear intensity of a byte as the sRGB standard defines it, on the 0-32767 scale.
double ExpectedLinear(int byte) {
    const double encoded = byte / 255.0;
    const double linear =
        encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
    return linear * kLinearMax;
}

std::shared_ptr<TPixmap> Picture(int width, int height, int format,
                                 const std::function<uint32_t(int, int)>& colorAt) {
    const auto picture = TPixmap::Create(width, height, format, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture->WritePixel(x, y, colorAt(x, y));
        }
    }
    return picture;
}

// 16 x 16 random glyphs; only opaque white is foreground, nearly white is background.
std::shared_ptr<TPixmap> RandomSheet(int width, int height, std::mt19937& random) {
    const uint32_t others[] = {0xFF000000u, 0xFFFFFFFEu, 0x80FFFFFFu, 0xFF808080u};
    return Picture(16 * width, 16 * height, kPixelFormatRGBA8888,
                   [&](int, int) { return random() % 2 ? kWhite : others[random() % 4]; });
}

PalettePlanes RandomPalette(std::mt19937& random) {
    PalettePlanes palette{};
    for (uint8_t& byte : palette) {
        byte = static_cast<uint8_t>(random());
    }
    // Two entries of one colour: the lower index is the one chosen.
    for (int plane = 0; plane < 3; ++plane) {
        palette[plane * 256 + 200] = palette[plane * 256 + 30];
    }
    // Many dark entries close together, where linear light crowds them.
    for (int i = 40; i < 80; ++i) {
        for (int plane = 0; plane < 3; ++plane) {
            palette[plane * 256 + i] = static_cast<uint8_t>(random() % 12);
        }
    }
    return palette;
}

LinearColor EntryColor(const PalettePlanes& palette, int index) {
    return {LinearFromByte(palette[index]), LinearFromByte(palette[256 + index]),
            LinearFromByte(palette[512 + index])};
}

int64_t SquaredDistance(const LinearColor& a, const LinearColor& b) {
    const int64_t red = a.red - b.red;
    const int64_t green = a.green - b.green;
    const int64_t blue = a.blue - b.blue;
    return red * red + green * green + blue * blue;
}

// The least error of any glyph of codes in any two colours of 0-254, by trying every colour.
int64_t BruteForceError(const GlyphMasks& masks, const std::vector<uint8_t>& codes,
                        const PalettePlanes& palette, const std::vector<LinearColor>& cell) {
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const uint8_t code : codes) {
        int64_t parts[2] = {std::numeric_limits<int64_t>::max(),
                            std::numeric_limits<int64_t>::max()};
        for (int side = 0; side < 2; ++side) {
            for (int entry = 0; entry < 255; ++entry) {
                int64_t error = 0;
                for (size_t i = 0; i < cell.size(); ++i) {
                    if (masks.Glyph(code)[i] == side) {
                        error += SquaredDistance(cell[i], EntryColor(palette, entry));
                    }
                }
                parts[side] = std::min(parts[side], error);
            }
        }
        best = std::min(best, parts[0] + parts[1]);
    }
    return best;
}

std::tuple<int, int, int, int64_t> Fields(const CellChoice& c) {
    return {c.glyph, c.fg, c.bg, c.error};
}

TEST(PictureArtLinearLight, BytesMapToRoundedLinearIntensitiesInStrictOrder) {
    // Exact for every byte, so also 0 to kLinearMax in strict order.
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(LinearFromByte(static_cast<uint8_t>(byte)), std::lround(ExpectedLinear(byte)));
    }
    const LinearColor background{100, 2000, 30000};
    EXPECT_EQ(LinearOver(0x00FFFFFFu, background), background);
    EXPECT_EQ(LinearOver(0xFF804000u, background),
              (LinearColor{LinearFromByte(0x80), LinearFromByte(0x40), 0}));
    // Half covered: the mean of the two intensities, not of the bytes.
    EXPECT_EQ(LinearOver(0x80FFFFFFu, LinearColor{0, 0, 0}), (LinearColor{16448, 16448, 16448}));
}

TEST(PictureArtScaler, CopiesAtTheSameSizeAndAveragesAreasOtherwise) {
    std::mt19937 random(5);
    const auto picture =
        Picture(7, 5, kPixelFormatRGB888, [&](int, int) { return random() | 0xFF000000u; });
    const auto at = [&](int x, int y) { return LinearOver(picture->ReadPixel(x, y), {}); };
    std::vector<LinearColor> out;

    PictureScaler(*picture, {}, 7, 5).Scale(0, 0, 7, 5, out);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(out[static_cast<size_t>(y * 7 + x)], at(x, y)) << x << "," << y;
        }
    }

    // 7 x 5 into 3 x 2: each output pixel the mean of the source areas it covers.
    const PictureScaler shrink(*picture, {}, 3, 2);
    shrink.Scale(0, 0, 3, 2, out);
    for (int oy = 0; oy < 2; ++oy) {
        for (int ox = 0; ox < 3; ++ox) {
            double red = 0;
            for (int sy = 0; sy < 5; ++sy) {
                for (int sx = 0; sx < 7; ++sx) {
                    const double wx = std::max(0.0, std::min((ox + 1) * 7.0, (sx + 1) * 3.0) -
                                                        std::max(ox * 7.0, sx * 3.0));
                    const double wy = std::max(0.0, std::min((oy + 1) * 5.0, (sy + 1) * 2.0) -
                                                        std::max(oy * 5.0, sy * 2.0));
                    red += wx * wy * at(sx, sy).red;
                }
            }
            EXPECT_EQ(out[static_cast<size_t>(oy * 3 + ox)].red, std::lround(red / 35.0))
                << ox << "," << oy;
        }
    }

    // Any region scales as it does within the whole picture.
    std::vector<LinearColor> whole;
    const PictureScaler enlarge(*picture, {}, 17, 12);
    enlarge.Scale(0, 0, 17, 12, whole);
    enlarge.Scale(5, 3, 9, 7, out);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(out[static_cast<size_t>(y * 9 + x)],
                      whole[static_cast<size_t>((y + 3) * 17 + x + 5)]);
        }
    }
    // Enlarged 1 x 1: every pixel the one colour; transparency shows the background.
    const auto clear = Picture(1, 1, kPixelFormatRGBA8888, [](int, int) { return 0x00000000u; });
    PictureScaler(*clear, {1, 2, 3}, 4, 3).Scale(0, 0, 4, 3, out);
    EXPECT_EQ(out, std::vector<LinearColor>(12, LinearColor{1, 2, 3}));
}

TEST(PictureArtPaletteNearest, FindsTheSameEntryAsTryingEveryOne) {
    std::mt19937 random(9);
    const PalettePlanes palette = RandomPalette(random);
    constexpr int kMaxCount = 120;
    const PaletteNearest nearest(palette, kMaxCount);
    for (int trial = 0; trial < 20000; ++trial) {
        const int count = 1 + static_cast<int>(random() % kMaxCount);
        ColorSum sum;
        int64_t* channels[] = {&sum.red, &sum.green, &sum.blue};
        for (int64_t* channel : channels) {
            // Means across the range, crowded into the dark, and exactly at the ends.
            const int kind = static_cast<int>(random() % 4);
            const int64_t mean = kind == 0   ? random() % (kLinearMax + 1)
                                 : kind == 1 ? random() % 300
                                 : kind == 2 ? 0
                                             : kLinearMax;
            *channel = mean * count + (kind < 2 ? random() % count : 0);
        }
        int bestIndex = 0;
        int64_t bestCost = std::numeric_limits<int64_t>::max();
        for (int entry = 0; entry < 255; ++entry) {
            const LinearColor color = EntryColor(palette, entry);
            const int64_t cost =
                count * SquaredDistance(color, {}) -
                2 * (sum.red * color.red + sum.green * color.green + sum.blue * color.blue);
            if (cost < bestCost) {
                bestCost = cost;
                bestIndex = entry;
            }
        }
        const PaletteNearest::Match match = nearest.Nearest(sum, count);
        ASSERT_EQ(match.index, bestIndex) << "trial " << trial;
        ASSERT_EQ(match.cost, bestCost);
    }
    // Of two entries of one colour, the lower index.
    const LinearColor twin = EntryColor(palette, 30);
    EXPECT_EQ(nearest.Nearest({twin.red, twin.green, twin.blue}, 1).index, 30);
}

TEST(PictureArtGlyphSearch, ChoosesTheLeastErrorOfEveryGlyphAndColourPair) {
    std::mt19937 random(17);
    const PalettePlanes palette = RandomPalette(random);
    // 4 pixels across fill one chunk of a row; 6 leave a partial second chunk.
    for (const auto& [width, height] : {std::pair{4, 3}, std::pair{6, 2}}) {
        const auto sheet = RandomSheet(width, height, random);
        const GlyphMasks masks(*sheet, width, height);
        for (int i = 0; i < masks.PixelCount() * 256; ++i) {
            const int code = i / masks.PixelCount();
            const int x = code % 16 * width + i % masks.PixelCount() % width;
            const int y = code / 16 * height + i % masks.PixelCount() / width;
            ASSERT_EQ(masks.Glyph(0)[i], sheet->ReadPixel(x, y) == kWhite ? 1 : 0);
        }
        std::vector<uint8_t> codes;
        for (int code = 0; code < 256; code += 3) {
            codes.push_back(static_cast<uint8_t>(code));
        }
        const GlyphSearch search(masks, codes, palette);
        GlyphSearch::Workspace workspace = search.MakeWorkspace();
        std::vector<LinearColor> cell(static_cast<size_t>(masks.PixelCount()));
        for (int trial = 0; trial < 60; ++trial) {
            const int kind = trial % 3;
            const uint8_t glyph = codes[random() % codes.size()];
            const int fg = static_cast<int>(random() % 255);
            const int bg = static_cast<int>(random() % 255);
            for (size_t p = 0; p < cell.size(); ++p) {
                // Random pixels, or a cell drawn from the tileset and palette.
                cell[p] = kind == 0 ? LinearColor{static_cast<int32_t>(random() % 32768),
                                                  static_cast<int32_t>(random() % 32768),
                                                  static_cast<int32_t>(random() % 2000)}
                                    : EntryColor(palette, masks.Glyph(glyph)[p] ? fg : bg);
            }
            const CellChoice choice = search.Best(cell.data(), workspace);
            EXPECT_EQ(choice.error, kind == 0 ? BruteForceError(masks, codes, palette, cell) : 0)
                << width << "x" << height << " trial " << trial;
            EXPECT_EQ(RenderedCellError(masks.Glyph(choice.glyph), masks.PixelCount(),
                                        EntryColor(palette, choice.fg),
                                        EntryColor(palette, choice.bg), cell.data()),
                      choice.error);
            EXPECT_TRUE(std::find(codes.begin(), codes.end(), choice.glyph) != codes.end());
        }
    }
}

TEST(PictureArtGlyphSearch, FlatCellsBecomeTheBlankGlyphInOneColour) {
    std::mt19937 random(3);
    const PalettePlanes palette = RandomPalette(random);
    // Glyphs 0 and 32 are blank and 219 is full: the space is the blank glyph chosen.
    const auto sheet = Picture(16 * 5, 16 * 4, kPixelFormatRGB888, [](int x, int y) {
        const int code = y / 4 * 16 + x / 5;
        return code == 0 || code == 32 ? 0xFF000000u
               : code == 219           ? kWhite
                                       : ((x + y) % 3 ? kWhite : 0xFF000000u);
    });
    const GlyphMasks masks(*sheet, 5, 4);
    const std::vector<LinearColor> flat(20, EntryColor(palette, 77));
    for (const GlyphSet set : {GlyphSet::All, GlyphSet::Blocks, GlyphSet::Ascii}) {
        const GlyphSearch search(masks, GlyphCodes(set), palette);
        GlyphSearch::Workspace workspace = search.MakeWorkspace();
        EXPECT_EQ(Fields(search.Best(flat.data(), workspace)), std::tuple(32, 77, 77, 0));
    }
    // Without a blank glyph in the set, the glyph stays and both colours are the one colour.
    const GlyphSearch fullOnly(masks, {219}, palette);
    GlyphSearch::Workspace workspace = fullOnly.MakeWorkspace();
    EXPECT_EQ(Fields(fullOnly.Best(flat.data(), workspace)), std::tuple(219, 77, 77, 0));
}

TEST(PictureArtGlyphSet, NamesAndCodes) {
    EXPECT_EQ(GlyphSetNamed("all"), GlyphSet::All);
    EXPECT_EQ(GlyphSetNamed("blocks"), GlyphSet::Blocks);
    EXPECT_EQ(GlyphSetNamed("ascii"), GlyphSet::Ascii);
    EXPECT_EQ(GlyphSetNamed("ALL"), std::nullopt);
    EXPECT_EQ(GlyphCodes(GlyphSet::Blocks),
              (std::vector<uint8_t>{32, 176, 177, 178, 219, 220, 221, 222, 223}));
    const auto range = [](int first, int last) {
        std::vector<uint8_t> codes(static_cast<size_t>(last - first + 1));
        std::iota(codes.begin(), codes.end(), static_cast<uint8_t>(first));
        return codes;
    };
    EXPECT_EQ(GlyphCodes(GlyphSet::Ascii), range(32, 126));
    EXPECT_EQ(GlyphCodes(GlyphSet::All), range(0, 255));
}

TEST(PictureArtMap, RowsKeepThePictureShape) {
    EXPECT_EQ(ArtRows(1600, 1200, 200, 8, 14), 86); // 85.71 rounded
    EXPECT_EQ(ArtRows(8 * 37, 14 * 23, 37, 8, 14), 23);
    EXPECT_EQ(ArtRows(999983, 1, 4096, 8, 16), 1);
    EXPECT_EQ(ArtRows(1, 1000000, 16777216, 255, 1), 4278190080000000);
}

class PictureArtRun : public testing::Test {
  protected:
    PictureArtRun() {
        std::mt19937 random(23);
        look_.masks = GlyphMasks(*RandomSheet(3, 5, random), 3, 5);
        look_.palette = RandomPalette(random);
        picture_ = Picture(150, 100, kPixelFormatRGBA8888, [&](int x, int y) {
            return (x * y % 7 ? 0xFF000000u : 0x40000000u) | random() % 0x1000000;
        });
    }

    ArtRequest Request(int threads) const {
        ArtRequest request;
        request.columns = 130; // three pieces a row, the last one short
        request.rows = ArtRows(picture_->width, picture_->height, 130, 3, 5);
        request.background = 5;
        request.threads = threads;
        return request;
    }

    ArtLook look_;
    std::shared_ptr<TPixmap> picture_;
};

TEST_F(PictureArtRun, AnyNumberOfThreadsMakesTheSameMapAndFigures) {
    const auto run = [this](int threads) {
        std::vector<int> told;
        Expected<Art> art = MakeArt(*picture_, look_, Request(threads),
                                    [&told](int thousandths) { told.push_back(thousandths); });
        // Told as the figure rises, up to the whole.
        EXPECT_FALSE(told.empty()) << threads;
        EXPECT_TRUE(std::adjacent_find(told.begin(), told.end(), std::greater_equal<>()) ==
                    told.end());
        EXPECT_TRUE(!told.empty() && told.back() == kProgressTotal) << threads;
        return art;
    };
    const Expected<Art> one = run(1);
    ASSERT_TRUE(one) << one.Why();
    EXPECT_EQ(one->map->tmapw, 130);
    EXPECT_EQ(one->map->tmaph, 52);
    EXPECT_EQ(one->quality.samples, 130 * 52 * 15 * 3);
    EXPECT_GT(one->quality.squaredError, 0);
    for (const int threads : {2, 5}) {
        const Expected<Art> many = run(threads);
        ASSERT_TRUE(many);
        EXPECT_EQ(many->map->tmap, one->map->tmap) << threads;
        EXPECT_EQ(many->quality.squaredError, one->quality.squaredError) << threads;
    }
}

TEST_F(PictureArtRun, RefusesSizesNoMapHasAndStopsWhenProgressThrows) {
    ArtRequest request = Request(2);
    request.columns = 4097;
    request.rows = 4096;
    const Expected<Art> tooMany = MakeArt(*picture_, look_, request);
    ASSERT_FALSE(tooMany);
    EXPECT_EQ(tooMany.Why(), "4097 x 4096 cells are more than the 16777216 a map may have");
    request.columns = 0;
    EXPECT_FALSE(MakeArt(*picture_, look_, request));

    EXPECT_THROW((void)MakeArt(*picture_, look_, Request(3),
                               [](int thousandths) {
                                   if (thousandths > 100) {
                                       throw std::runtime_error("stop");
                                   }
                               }),
                 std::runtime_error);
}

TEST(PictureArtQuality, RootMeanSquareAndPsnr) {
    ArtQuality quality;
    EXPECT_TRUE(std::isinf(quality.Psnr()));
    // A difference of a quarter of full intensity in every channel.
    quality.samples = 30;
    quality.squaredError = 30 * std::pow(kLinearMax / 4.0, 2);
    EXPECT_DOUBLE_EQ(quality.RootMeanSquare(), 63.75);
    EXPECT_NEAR(quality.Psnr(), 20 * std::log10(4.0), 1e-12);
}

} // namespace
} // namespace dm
