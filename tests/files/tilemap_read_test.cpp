#include "container_test_support.h"

#include "files/map_limits.h"
#include "files/png_body.h"
#include "files/tilemap_file.h"
#include "platform/io/open_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace dm {
namespace {

using test::ByteBuilder;
using test::ContainerTempFolder;
using test::MessageLog;
using test::WriteFileBytes;

const char* const kUnexpectedEnd = "Encountered unexpected end of file.";

// A 2 x 2 map with distinct bytes, so that every cell matters to the checksum.
std::shared_ptr<tilemap> SmallMap() {
    std::shared_ptr<tilemap> map = tilemap::Create(2, 2);
    for (size_t i = 0; i < map->tmap.size(); ++i) {
        map->tmap[i] = static_cast<uint8_t>(i * 19 + 3);
    }
    return map;
}

std::vector<uint8_t> UncompressedFile(const tilemap& map) {
    return ByteBuilder()
        .Text("DMTM")
        .Int(map.tmapw)
        .Int(map.tmaph)
        .Int(map.GetChecksum())
        .Bytes(map.tmap)
        .Text("EOF")
        .Result();
}

// One run per byte: the longest body the map can have.
std::vector<uint8_t> RunLengthFile(const tilemap& map) {
    ByteBuilder builder;
    builder.Text("DMTR").Int(map.tmapw).Int(map.tmaph).Int(map.GetChecksum());
    for (uint8_t value : map.tmap) {
        builder.Bytes({0, value});
    }
    return builder.Text("EOF").Result();
}

std::vector<uint8_t> PictureFile(const tilemap& map, int32_t w, int32_t h) {
    const std::vector<uint8_t> png = EncodeUnscrambledPNGBytes(map).value();
    return ByteBuilder()
        .Text("DMTP")
        .Int(w)
        .Int(h)
        .Int(map.GetChecksum())
        .Double(static_cast<double>(png.size()))
        .Bytes(png)
        .Text("EOF")
        .Result();
}

class TilemapRead : public testing::Test {
  protected:
    // Reads the bytes as a file and keeps the messages Read reports; the format comes from
    // reading them once more.
    LoadedTilemap ReadBytes(const std::vector<uint8_t>& bytes) {
        const std::string path = folder_.Path("map.dtm");
        WriteFileBytes(path, bytes);
        log_.messages.clear();
        const std::shared_ptr<tilemap> map = Read(path, log_.Callback());
        const std::shared_ptr<TStream> stream = OpenReadStream(path);
        EXPECT_TRUE(stream);
        const Expected<LoadedTilemap> loaded =
            stream ? ReadTilemapStream(*stream) : Expected<LoadedTilemap>(Failure{"unopened"});
        EXPECT_EQ(loaded.HasValue(), map != nullptr);
        return {map, loaded ? loaded->format : ""};
    }

    // Expects the bytes to be refused with exactly this one message.
    void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& text) {
        const LoadedTilemap loaded = ReadBytes(bytes);
        EXPECT_FALSE(loaded.map) << text;
        ASSERT_EQ(log_.messages.size(), 1u) << text;
        EXPECT_EQ(log_.messages[0].first, "Error!");
        EXPECT_EQ(log_.messages[0].second, text);
    }

    ContainerTempFolder folder_;
    MessageLog log_;
};

TEST_F(TilemapRead, AcceptsEveryBodyKind) {
    const std::shared_ptr<tilemap> map = SmallMap();
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"DMTM", UncompressedFile(*map)},
        {"DMTR", RunLengthFile(*map)},
        {"DMTP", PictureFile(*map, 2, 2)},
    };
    for (const auto& [magic, bytes] : files) {
        const LoadedTilemap loaded = ReadBytes(bytes);
        ASSERT_TRUE(loaded.map) << magic;
        EXPECT_TRUE(log_.messages.empty()) << magic;
        EXPECT_EQ(loaded.format, magic);
        EXPECT_EQ(loaded.map->tmapw, 2);
        EXPECT_EQ(loaded.map->tmaph, 2);
        EXPECT_EQ(loaded.map->tmap, map->tmap) << magic;
        EXPECT_EQ(loaded.map->transparentcolor, 9);
        EXPECT_TRUE(loaded.map->tplist.empty());
    }
}

TEST_F(TilemapRead, BytesAfterTheTrailerAreIgnored) {
    std::vector<uint8_t> bytes = RunLengthFile(*SmallMap());
    bytes.insert(bytes.end(), {'x', 'y', 'z'});
    const LoadedTilemap loaded = ReadBytes(bytes);
    EXPECT_TRUE(loaded.map);
    EXPECT_TRUE(log_.messages.empty());
}

TEST_F(TilemapRead, EveryTruncationIsAnUnexpectedEnd) {
    const std::shared_ptr<tilemap> map = SmallMap();
    for (const std::vector<uint8_t>& whole :
         {UncompressedFile(*map), RunLengthFile(*map), PictureFile(*map, 2, 2)}) {
        for (size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(std::string(whole.begin(), whole.begin() + 4) + " cut to " +
                         std::to_string(length));
            ExpectRefused(std::vector<uint8_t>(whole.begin(), whole.begin() + length),
                          kUnexpectedEnd);
        }
    }
}

TEST_F(TilemapRead, UncompressedBodyWithoutTrailerEndsUnexpectedly) {
    const std::vector<uint8_t> whole = UncompressedFile(*SmallMap());
    ExpectRefused(std::vector<uint8_t>(whole.begin(), whole.end() - 3), kUnexpectedEnd);
}

TEST_F(TilemapRead, UnknownMagicIsRefusedAfterTheHeaderIntegers) {
    std::vector<uint8_t> bytes = RunLengthFile(*SmallMap());
    bytes[3] = 'X';
    ExpectRefused(bytes, "Unrecognized file header!");
    ExpectRefused(ByteBuilder().Text("dmtr").Int(1).Int(1).Int(0).Result(),
                  "Unrecognized file header!");
    // Fifteen bytes: the third integer is cut short before the magic is even looked at.
    ExpectRefused(ByteBuilder().Text("ABCD").Int(1).Int(1).Bytes({0, 0, 0}).Result(),
                  kUnexpectedEnd);
}

TEST_F(TilemapRead, WrongTrailerIsQuoted) {
    for (std::vector<uint8_t> bytes : {UncompressedFile(*SmallMap()), RunLengthFile(*SmallMap()),
                                       PictureFile(*SmallMap(), 2, 2)}) {
        bytes.back() = 'X';
        ExpectRefused(bytes, "Did not encounter expected EOF, encountered EOX instead.");
    }
}

TEST_F(TilemapRead, AlteredChecksumIsRefused) {
    for (std::vector<uint8_t> bytes : {UncompressedFile(*SmallMap()), RunLengthFile(*SmallMap()),
                                       PictureFile(*SmallMap(), 2, 2)}) {
        bytes[12] ^= 1;
        ExpectRefused(bytes,
                      "File checksum indicates a tampered-with tilemap file; refusing to open.");
    }
    // A changed cell is caught the same way.
    std::vector<uint8_t> bytes = UncompressedFile(*SmallMap());
    bytes[16 + 5] ^= 0x40;
    ExpectRefused(bytes, "File checksum indicates a tampered-with tilemap file; refusing to open.");
}

TEST_F(TilemapRead, TrailerIsCheckedBeforeChecksum) {
    std::vector<uint8_t> bytes = RunLengthFile(*SmallMap());
    bytes[12] ^= 1;
    bytes[bytes.size() - 3] = 'Z';
    ExpectRefused(bytes, "Did not encounter expected EOF, encountered ZOF instead.");
}

TEST_F(TilemapRead, PictureSizeOverridesTheHeader) {
    const std::shared_ptr<tilemap> map = tilemap::Create(3, 2);
    map->SetTile(2, 1, 200, 100, 50, 1);
    const LoadedTilemap loaded = ReadBytes(PictureFile(*map, 7, 9));
    ASSERT_TRUE(loaded.map);
    EXPECT_EQ(loaded.map->tmapw, 3);
    EXPECT_EQ(loaded.map->tmaph, 2);
    EXPECT_EQ(loaded.map->tmap, map->tmap);

    // Even an impossible header size does not matter to a picture body.
    EXPECT_TRUE(ReadBytes(PictureFile(*map, 0, -5)).map);
}

TEST_F(TilemapRead, ImpossibleSizesAreRefusedBeforeReadingCells) {
    const std::vector<std::pair<int32_t, int32_t>> sizes = {
        {0, 1}, {1, 0}, {-1, 1}, {3, -2}, {4097, 4096}, {std::numeric_limits<int32_t>::max(), 2}};
    for (const std::string magic : {"DMTM", "DMTR"}) {
        for (const auto& [w, h] : sizes) {
            ExpectRefused(ByteBuilder().Text(magic).Int(w).Int(h).Int(0).Text("EOF").Result(),
                          "Tilemap size " + std::to_string(w) + " x " + std::to_string(h) +
                              " is out of range: a map has at least 1 x 1 and at most 16777216 "
                              "cells.");
        }
    }
    // The largest allowed map gets as far as its missing cells.
    ExpectRefused(ByteBuilder().Text("DMTR").Int(4096).Int(4096).Int(0).Text("EOF").Result(),
                  kUnexpectedEnd);
}

TEST_F(TilemapRead, OversizedPictureIsRefusedBeforeDecoding) {
    std::vector<uint8_t> png = EncodeUnscrambledPNGBytes(*SmallMap()).value();
    // Announce 5000 x 4000 pixels in the header chunk (big-endian width at 16, height at 20).
    png[16] = 0x00, png[17] = 0x00, png[18] = 0x13, png[19] = 0x88;
    png[20] = 0x00, png[21] = 0x00, png[22] = 0x0F, png[23] = 0xA0;
    ExpectRefused(ByteBuilder()
                      .Text("DMTP")
                      .Int(2)
                      .Int(2)
                      .Int(0)
                      .Double(static_cast<double>(png.size()))
                      .Bytes(png)
                      .Text("EOF")
                      .Result(),
                  "Tilemap size 5000 x 4000 is out of range: a map has at least 1 x 1 and at "
                  "most 16777216 cells.");
}

TEST_F(TilemapRead, RunsPastTheCellsAreRefused) {
    // A 1 x 1 map holds 3 bytes; the second run would write bytes 2 to 5.
    ExpectRefused(
        ByteBuilder().Text("DMTR").Int(1).Int(1).Int(0).Bytes({1, 9, 3, 9}).Text("EOF").Result(),
        "The run-length data runs past the end of the map; the file is damaged.");
    ExpectRefused(
        ByteBuilder().Text("DMTR").Int(1).Int(1).Int(0).Bytes({255, 0}).Text("EOF").Result(),
        "The run-length data runs past the end of the map; the file is damaged.");
}

TEST_F(TilemapRead, BrokenPictureBodiesAreRefused) {
    const std::vector<uint8_t> garbage = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ExpectRefused(ByteBuilder()
                      .Text("DMTP")
                      .Int(1)
                      .Int(1)
                      .Int(0)
                      .Double(10)
                      .Bytes(garbage)
                      .Text("EOF")
                      .Result(),
                  "The embedded PNG image could not be decoded.");
    ExpectRefused(ByteBuilder().Text("DMTP").Int(1).Int(1).Int(0).Double(0).Text("EOF").Result(),
                  "The embedded PNG image could not be decoded.");

    // A picture cut short inside its own chunks, with the length field agreeing with the cut.
    std::vector<uint8_t> png = EncodeUnscrambledPNGBytes(*SmallMap()).value();
    png.erase(png.end() - 20, png.end());
    ExpectRefused(ByteBuilder()
                      .Text("DMTP")
                      .Int(2)
                      .Int(2)
                      .Int(0)
                      .Double(static_cast<double>(png.size()))
                      .Bytes(png)
                      .Text("EOF")
                      .Result(),
                  "The embedded PNG image could not be decoded.");

    for (double length : {-1.0, std::nan("")}) {
        ExpectRefused(
            ByteBuilder().Text("DMTP").Int(1).Int(1).Int(0).Double(length).Text("EOF").Result(),
            "The embedded PNG image has an invalid length.");
    }
    for (double length : {14.0, 1e300, std::numeric_limits<double>::infinity()}) {
        ExpectRefused(ByteBuilder()
                          .Text("DMTP")
                          .Int(1)
                          .Int(1)
                          .Int(0)
                          .Double(length)
                          .Bytes(garbage)
                          .Text("EOF")
                          .Result(),
                      kUnexpectedEnd);
    }
}

TEST_F(TilemapRead, FractionalPictureLengthIsTruncated) {
    const std::shared_ptr<tilemap> map = SmallMap();
    const std::vector<uint8_t> png = EncodeUnscrambledPNGBytes(*map).value();
    const LoadedTilemap loaded = ReadBytes(ByteBuilder()
                                               .Text("DMTP")
                                               .Int(2)
                                               .Int(2)
                                               .Int(map->GetChecksum())
                                               .Double(static_cast<double>(png.size()) + 0.75)
                                               .Bytes(png)
                                               .Text("EOF")
                                               .Result());
    ASSERT_TRUE(loaded.map);
    EXPECT_EQ(loaded.map->tmap, map->tmap);
}

TEST_F(TilemapRead, UnopenablePathsGiveNullSilently) {
    EXPECT_FALSE(Read(folder_.Path("missing.dtm"), log_.Callback()));
    EXPECT_FALSE(Read(folder_.Path(""), log_.Callback()));
    EXPECT_TRUE(log_.messages.empty());
}

TEST_F(TilemapRead, WorksWithoutACallback) {
    const std::string path = folder_.Path("bad.dtm");
    WriteFileBytes(path, {'D', 'M'});
    EXPECT_FALSE(Read(path, nullptr));
}

} // namespace
} // namespace dm
