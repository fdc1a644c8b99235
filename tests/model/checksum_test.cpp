#include "model/tilemap.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(Checksum, SmallMaps) {
    const auto one = tilemap::Create(1, 1);
    EXPECT_EQ(one->GetChecksum(), 1048576);
    one->SetTile(0, 0, 65, 1, 2, 0);
    EXPECT_EQ(one->GetChecksum(), 1049042);
    one->SetTile(0, 0, 255, 255, 255, 1);
    EXPECT_EQ(one->GetChecksum(), 1052401);

    EXPECT_EQ(tilemap::Create(2, 1)->GetChecksum(), 1048576);
    EXPECT_EQ(tilemap::Create(0, 0)->GetChecksum(), -1048576);
    EXPECT_EQ(tilemap::Create(0, 7)->GetChecksum(), -1048576);

    const auto two = tilemap::Create(2, 1);
    two->SetTile(0, 0, 1, 3, 5, 0);
    two->SetTile(1, 0, 2, 4, 6, 0);
    EXPECT_EQ(two->GetChecksum(), 1048835);
}

TEST(Checksum, FoldsLongRunsAndDependsOnOrder) {
    const auto map = tilemap::Create(16, 16);
    for (int32_t j = 0; j < 16; ++j) {
        for (int32_t i = 0; i < 16; ++i) {
            map->SetTile(i, j, static_cast<uint8_t>(i + 16 * j), static_cast<uint8_t>(7 * i + j),
                         static_cast<uint8_t>(i * j), 1);
        }
    }
    EXPECT_EQ(map->GetChecksum(), 1234110);
    map->SetTile(3, 4, 0, 0, 0, 1);
    EXPECT_NE(map->GetChecksum(), 1234110);
}

TEST(Checksum, LargeMapsOfEverySizeAndPattern) {
    const auto map = tilemap::Create(1023, 1021);
    for (int32_t y = 0; y < map->tmaph; ++y) {
        for (int32_t x = 0; x < map->tmapw; ++x) {
            map->SetTile(x, y, static_cast<uint8_t>(x * 7 + y * 13), static_cast<uint8_t>(x ^ y),
                         static_cast<uint8_t>(x * y), 1);
        }
    }
    EXPECT_EQ(map->GetChecksum(), 398538544);
}

TEST(Checksum, WrapsIn32BitsOnHugeMaps) {
    const auto large = tilemap::Create(1024, 1024);
    large->Fill(255, 255, 255, 1);
    EXPECT_EQ(large->GetChecksum(), 803208706);
    const auto huge = tilemap::Create(2048, 2048);
    huge->Fill(255, 255, 255, 1);
    EXPECT_EQ(huge->GetChecksum(), 2147483536);

    const auto mixed = tilemap::Create(2000, 2000);
    mixed->Fill(255, 255, 255, 1);
    for (int32_t y = 0; y < mixed->tmaph; ++y) {
        for (int32_t x = 0; x < mixed->tmapw; ++x) {
            mixed->SetTile(x, y, static_cast<uint8_t>(x * y + x), 255, 255, 1);
        }
    }
    EXPECT_EQ(mixed->GetChecksum(), -2147376916);
}

} // namespace
} // namespace dm
