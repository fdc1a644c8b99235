#include "seeds.h"

#include "files/png_body.h"
#include "files/recovery_file.h"
#include "files/rle_body.h"
#include "files/xp_format.h"
#include "platform/io/memory_stream.h"

namespace dm::seeds {

namespace {

struct Shape {
    const char* name;
    int32_t width;
    int32_t height;
};

// One cell; one row (whose scrambling draws differ from every taller map); one column; and a
// map taller than the cell decoder's band of 64 rows.
constexpr Shape kShapes[] = {
    {"cell", 1, 1}, {"row", 23, 1}, {"column", 1, 9}, {"block", 6, 4}, {"tall", 2, 70},
};

// Cells with runs (for the run-length body) and changes (for the scrambled picture).
std::shared_ptr<tilemap> PatternMap(const Shape& shape) {
    auto map = tilemap::Create(shape.width, shape.height);
    map->Fill('.', 7, 0, 1);
    map->InsertString(0, 0, "Dusk@12@march", 14, 1, 1, 1, 0);
    for (int32_t y = 0; y < shape.height; y += 3)
        map->SetTile(shape.width - 1, y, static_cast<uint8_t>(176 + y % 3), 2, 4, 1);
    return map;
}

// The uncompressed body has no writer of its own: saving always picks a smaller one.
std::vector<uint8_t> UncompressedFile(const tilemap& map) {
    TMemoryStream out;
    out.WriteString("DMTM");
    out.WriteInt(map.tmapw);
    out.WriteInt(map.tmaph);
    out.WriteInt(map.GetChecksum());
    out.WriteBytes(map.tmap.data(), static_cast<int64_t>(map.tmap.size()));
    out.WriteString("EOF");
    return out.TakeBytes();
}

std::vector<uint8_t> RunLengthFile(const tilemap& map) {
    TMemoryStream out;
    WriteRLE(map, out);
    return out.TakeBytes();
}

std::vector<uint8_t> PictureFile(const tilemap& map) {
    TMemoryStream out;
    WritePNG(map, out);
    return out.TakeBytes();
}

// An .xp image as the reader sees it once unpacked, with the map's cells as its only layer
// repeated `layers` times; the fuzz target packs such bytes itself.
std::vector<uint8_t> InflatedXp(const tilemap& map, int32_t layers) {
    TMemoryStream out;
    out.WriteInt(kXpVersion);
    out.WriteInt(layers);
    for (int32_t layer = 0; layer < layers; ++layer) {
        out.WriteInt(map.tmapw);
        out.WriteInt(map.tmaph);
        for (int32_t x = 0; x < map.tmapw; ++x) {
            for (int32_t y = 0; y < map.tmaph; ++y) {
                uint8_t glyph = 0, fg = 0, bg = 0;
                map.GrabTile(x, y, glyph, fg, bg);
                out.WriteInt(glyph);
                const uint8_t colours[] = {fg, fg, fg, bg, layer == 0 ? bg : uint8_t{0}, bg};
                out.WriteBytes(colours, sizeof colours);
            }
        }
    }
    return out.TakeBytes();
}

} // namespace

std::vector<Seed> XpSeeds() {
    PalettePlanes grey{};
    for (size_t i = 0; i < grey.size(); ++i) {
        grey[i] = static_cast<uint8_t>(i % 256);
    }
    std::vector<Seed> seeds;
    for (const Shape& shape : kShapes) {
        const auto map = PatternMap(shape);
        TMemoryStream packed;
        WriteXp(*map, grey, packed);
        seeds.push_back({std::string(shape.name) + ".xp", packed.TakeBytes()});
    }
    seeds.push_back({"block_two_layers.bin", InflatedXp(*PatternMap(kShapes[3]), 2)});
    return seeds;
}

std::vector<Seed> RecoverySeeds() {
    std::vector<Seed> seeds;
    for (const Shape& shape : kShapes) {
        const std::string name = shape.name;
        const std::string file = shape.width > 5 ? "/maps/" + name + ".dtm" : "";
        seeds.push_back({name + ".dmrecovery", EncodeRecovery({file.empty() ? "Untitled" : file,
                                                               file, PatternMap(shape)})});
    }
    return seeds;
}

std::vector<Seed> CellPictureSeeds() {
    std::vector<Seed> seeds;
    for (const Shape& shape : kShapes) {
        const auto map = PatternMap(shape);
        RandomGenerator random;
        seeds.push_back({std::string(shape.name) + ".png", *EncodePNGBytes(*map, 0, random)});
        seeds.push_back(
            {std::string(shape.name) + "_scrambled.png", *EncodePNGBytes(*map, 1, random)});
    }
    return seeds;
}

std::vector<Seed> MapFileSeeds() {
    std::vector<Seed> seeds;
    for (const Shape& shape : kShapes) {
        const auto map = PatternMap(shape);
        const std::string name = shape.name;
        seeds.push_back({name + "_dmtm.dtm", UncompressedFile(*map)});
        seeds.push_back({name + "_dmtr.dtm", RunLengthFile(*map)});
        seeds.push_back({name + "_dmtp.dtm", PictureFile(*map)});
    }
    return seeds;
}

} // namespace dm::seeds
