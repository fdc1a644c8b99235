#include "insert_string_input.h"
#include "seeds.h"

#include "files/png_body.h"
#include "files/tilemap_file.h"
#include "files/xp_format.h"
#include "platform/fatal_error.h"
#include "platform/memory_stream.h"
#include "platform/png_codec.h"
#include "render/display_config.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <unistd.h>

namespace dm::seeds {
namespace {

// A fresh folder for files that parsers only take by path.
class SeedFolder {
  public:
    SeedFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("duskmarch_seeds_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~SeedFolder() { std::filesystem::remove_all(path_); }
    SeedFolder(const SeedFolder&) = delete;
    SeedFolder& operator=(const SeedFolder&) = delete;

    std::string Write(const Seed& seed) const {
        const std::string path = (path_ / seed.name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()),
                  static_cast<std::streamsize>(seed.bytes.size()));
        return path;
    }

  private:
    std::filesystem::path path_;
};

struct Header {
    uint32_t width;
    uint32_t height;
    int bitDepth;
    int colorType;
    bool interlaced;
};

Header ReadHeader(const std::vector<uint8_t>& png) {
    const auto bigEndian = [&](size_t at) {
        return uint32_t{png.at(at)} << 24 | uint32_t{png.at(at + 1)} << 16 |
               uint32_t{png.at(at + 2)} << 8 | uint32_t{png.at(at + 3)};
    };
    return {bigEndian(16), bigEndian(20), png.at(24), png.at(25), png.at(28) == 1};
}

bool HasChunk(const std::vector<uint8_t>& png, const std::string& type) {
    return std::search(png.begin(), png.end(), type.begin(), type.end()) != png.end();
}

// The pixmap format the loader documents for each kind of picture.
int ExpectedFormat(const Header& header, bool transparency) {
    if (header.colorType == PNG_COLOR_TYPE_GRAY && !transparency)
        return PF_I8;
    if ((header.colorType == PNG_COLOR_TYPE_RGB || header.colorType == PNG_COLOR_TYPE_PALETTE) &&
        !transparency)
        return PF_RGB888;
    return PF_RGBA8888;
}

TEST(PictureSeeds, EachLoadsAtItsSizeInTheFormatItsKindGives) {
    for (const Seed& seed : PictureSeeds()) {
        SCOPED_TRACE(seed.name);
        const Header header = ReadHeader(seed.bytes);
        TMemoryStream in(seed.bytes);
        const auto pixmap = LoadPixmap(in);
        ASSERT_NE(pixmap, nullptr);
        EXPECT_EQ(pixmap->width, static_cast<int>(header.width));
        EXPECT_EQ(pixmap->height, static_cast<int>(header.height));
        EXPECT_EQ(pixmap->format, ExpectedFormat(header, HasChunk(seed.bytes, "tRNS")));
        EXPECT_EQ(header.interlaced, seed.name.find("interlaced") != std::string::npos);
    }
}

TEST(PictureSeeds, CoverEveryColourTypeAtEveryDepthAndInterlacedAndTransparent) {
    const std::map<int, std::set<int>> depths = {
        {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}}, {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
        {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},  {PNG_COLOR_TYPE_RGB, {8, 16}},
        {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
    };
    std::map<int, std::set<int>> seen;
    std::set<int> interlaced;
    std::set<int> transparent;
    for (const Seed& seed : PictureSeeds()) {
        const Header header = ReadHeader(seed.bytes);
        seen[header.colorType].insert(header.bitDepth);
        if (header.interlaced)
            interlaced.insert(header.colorType);
        if (HasChunk(seed.bytes, "tRNS"))
            transparent.insert(header.colorType);
    }
    EXPECT_EQ(seen, depths);
    EXPECT_EQ(interlaced.size(), depths.size());
    EXPECT_EQ(transparent,
              (std::set<int>{PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_PALETTE, PNG_COLOR_TYPE_RGB}));
}

TEST(CellPictureSeeds, DecodeToMapsThatEncodeToTheSameBytes) {
    for (const Seed& seed : CellPictureSeeds()) {
        SCOPED_TRACE(seed.name);
        const int32_t scramble = seed.name.find("scrambled") != std::string::npos ? 1 : 0;
        const auto map = DecodePNG(seed.bytes, scramble);
        ASSERT_NE(map, nullptr);
        EXPECT_EQ(EncodePNGBytes(*map, scramble), seed.bytes);
    }
}

TEST(MapFileSeeds, EachShapeReadsAlikeFromAllThreeBodies) {
    const SeedFolder folder;
    std::map<std::string, std::vector<std::string>> formats;
    std::map<std::string, std::vector<uint8_t>> cells;
    for (const Seed& seed : MapFileSeeds()) {
        SCOPED_TRACE(seed.name);
        std::vector<std::string> messages;
        const LoadedTilemap loaded =
            ReadTilemapFile(folder.Write(seed), [&](const std::string&, const std::string& text) {
                messages.push_back(text);
            });
        ASSERT_NE(loaded.map, nullptr) << (messages.empty() ? "" : messages[0]);
        const std::string shape = seed.name.substr(0, seed.name.find('_'));
        formats[shape].push_back(loaded.format);
        if (cells.contains(shape)) {
            EXPECT_EQ(loaded.map->tmap, cells[shape]);
        }
        cells[shape] = loaded.map->tmap;
    }
    EXPECT_GE(formats.size(), 4u);
    for (auto& [shape, found] : formats) {
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, (std::vector<std::string>{"DMTM", "DMTP", "DMTR"})) << shape;
    }
}

TEST(XpSeeds, PackedImagesReadAsTheirOneLayer) {
    const PalettePlanes grey{};
    int packed = 0;
    for (const Seed& seed : XpSeeds()) {
        if (seed.name.ends_with(".xp")) {
            TMemoryStream in(seed.bytes);
            EXPECT_NE(ReadXp(in, grey, 0, [](const std::string&, const std::string&) {}), nullptr)
                << seed.name;
            ++packed;
        }
    }
    EXPECT_GE(packed, 5);
}

TEST(DisplayConfigSeeds, EachLoadsWithoutAFatalError) {
    const SeedFolder folder;
    for (const Seed& seed : DisplayConfigSeeds()) {
        SCOPED_TRACE(seed.name);
        DisplayConfig config;
        EXPECT_NO_THROW(LoadDisplayConfig(folder.Write(seed), config));
        EXPECT_TRUE(config.loaded);
    }
}

TEST(InsertStringInput, RoundTripsAndRefusesShortInputs) {
    const std::vector<InsertStringInput> inputs = {
        {0, 0, 0, 0, ""},
        {-1, INT32_MIN, 255, 7, "@1@\xFF"},
        {INT32_MAX, 0x01020304, 1, 2, std::string_view("a\0b", 3)},
    };
    for (const InsertStringInput& input : inputs) {
        const std::vector<uint8_t> bytes = MakeInsertStringInput(input);
        ASSERT_EQ(bytes.size(), kInsertStringHeader + input.text.size());
        const auto parsed = ParseInsertStringInput(bytes.data(), bytes.size());
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(std::tie(parsed->x, parsed->y, parsed->fg, parsed->bg, parsed->text),
                  std::tie(input.x, input.y, input.fg, input.bg, input.text));
    }
    const std::vector<uint8_t> little = {4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0xFF, 9};
    EXPECT_FALSE(ParseInsertStringInput(little.data(), little.size()).has_value());
    const std::vector<uint8_t> header = {4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 9, 8};
    const auto parsed = ParseInsertStringInput(header.data(), header.size());
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->x, 0x01020304);
    EXPECT_EQ(parsed->y, -2);
    EXPECT_TRUE(parsed->text.empty());
}

// The seed folders named by each duskmarch_add_fuzzer line of the fuzz targets' CMake list.
std::map<std::string, std::vector<std::string>> FuzzTargetSeedFolders() {
    std::ifstream list(std::string(DUSKMARCH_SOURCE_DIR) + "/fuzz/CMakeLists.txt");
    const std::string call = "duskmarch_add_fuzzer(";
    std::map<std::string, std::vector<std::string>> targets;
    for (std::string line; std::getline(list, line);) {
        if (!line.starts_with(call) || line.back() != ')')
            continue;
        std::istringstream words(line.substr(call.size(), line.size() - call.size() - 1));
        std::string name;
        words >> name;
        bool seeds = false;
        for (std::string word; words >> word;) {
            if (word == "SEEDS" || word == "LIBS" || word == "DICT")
                seeds = word == "SEEDS";
            else if (seeds)
                targets[name].push_back(word);
        }
    }
    return targets;
}

// Every seed folder a fuzz target names is one that seedgen writes, and none is empty.
TEST(SeedKinds, CoverEveryFolderTheFuzzTargetsName) {
    std::map<std::string, size_t> written;
    for (const SeedKind& kind : SeedKinds())
        written[kind.folder] = kind.make().size();
    const auto targets = FuzzTargetSeedFolders();
    EXPECT_GE(targets.size(), 6u);
    for (const auto& [name, folders] : targets)
        for (const std::string& folder : folders)
            EXPECT_GT(written[folder], 0u) << name << " names " << folder;
}

} // namespace
} // namespace dm::seeds
