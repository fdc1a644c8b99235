#include "seeds.h"

#include "files/png_body.h"
#include "files/tilemap_file.h"
#include "files/xp_format.h"
#include "platform/memory_stream.h"
#include "platform/png_codec.h"
#include "platform/scratch_dir.h"
#include "render/display_config.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace dm::seeds {
namespace {

// A fuzz target whose seeds its parser refuses starts from nothing; each kind is read as its
// target reads it.
TEST(Seeds, EachKindIsReadByItsParser) {
    const ScratchDir dir;
    const auto write = [&dir](const Seed& seed) {
        return dir.Write(seed.name, std::string(seed.bytes.begin(), seed.bytes.end()));
    };
    for (const Seed& seed : PictureSeeds()) {
        TMemoryStream in(seed.bytes);
        EXPECT_NE(LoadPixmap(in), nullptr) << seed.name;
    }
    for (const Seed& seed : CellPictureSeeds()) {
        const int32_t scramble = seed.name.find("scrambled") != std::string::npos ? 1 : 0;
        const auto map = DecodePNG(seed.bytes, scramble);
        ASSERT_NE(map, nullptr) << seed.name;
        EXPECT_EQ(EncodePNGBytes(*map, scramble), seed.bytes) << seed.name;
    }
    // Each shape of map is written with all three bodies, which read back alike.
    std::map<std::string, std::vector<uint8_t>> cells;
    std::map<std::string, std::set<std::string>> formats;
    for (const Seed& seed : MapFileSeeds()) {
        const LoadedTilemap loaded = ReadTilemapFile(write(seed), {});
        ASSERT_NE(loaded.map, nullptr) << seed.name;
        const std::string shape = seed.name.substr(0, seed.name.find('_'));
        EXPECT_EQ(cells.try_emplace(shape, loaded.map->tmap).first->second, loaded.map->tmap)
            << seed.name;
        formats[shape].insert(loaded.format);
    }
    EXPECT_GE(formats.size(), 4u);
    for (const auto& [shape, found] : formats) {
        EXPECT_EQ(found, (std::set<std::string>{"DMTM", "DMTP", "DMTR"})) << shape;
    }
    for (const Seed& seed : XpSeeds()) {
        TMemoryStream in(seed.bytes);
        EXPECT_TRUE(!seed.name.ends_with(".xp") || ReadXp(in, PalettePlanes{}, 0, {})) << seed.name;
    }
    for (const Seed& seed : DisplayConfigSeeds()) {
        DisplayConfig config;
        EXPECT_NO_THROW(LoadDisplayConfig(write(seed), config)) << seed.name;
        EXPECT_TRUE(config.loaded) << seed.name;
    }
}

// Every seed folder that a fuzz target's duskmarch_add_fuzzer line names is one seedgen fills.
TEST(SeedKinds, CoverEveryFolderTheFuzzTargetsName) {
    std::map<std::string, size_t> written;
    for (const SeedKind& kind : SeedKinds())
        written[kind.folder] = kind.make().size();
    std::ifstream list(std::string(DUSKMARCH_SOURCE_DIR) + "/fuzz/CMakeLists.txt");
    const std::regex call(R"(^duskmarch_add_fuzzer\((\w+) .* SEEDS ([\w ]+?)( DICT .*)?\)$)");
    int targets = 0;
    for (std::string line; std::getline(list, line);) {
        std::smatch match;
        if (std::regex_match(line, match, call)) {
            ++targets;
            std::istringstream folders(match[2].str());
            for (std::string folder; folders >> folder;)
                EXPECT_GT(written[folder], 0u) << match[1] << " names " << folder;
        }
    }
    EXPECT_GE(targets, 6);
}

} // namespace
} // namespace dm::seeds
