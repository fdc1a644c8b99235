#include "model/tilemap.h"

#include <benchmark/benchmark.h>

namespace dm {
namespace {

constexpr int32_t kSide = 1024;

void BM_FloodFillWholeMap(benchmark::State& state) {
    const auto map = tilemap::Create(kSide, kSide);
    uint8_t glyph = 1;
    for (auto _ : state) {
        // Alternating the fill tile keeps every round a fill of the whole map.
        const int32_t count = map->FloodFill(*map, kSide / 2, kSide / 2, glyph, 2, 3, 0, 0, 1);
        benchmark::DoNotOptimize(count);
        glyph = glyph == 1 ? 4 : 1;
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_FloodFillWholeMap)->Unit(benchmark::kMillisecond);

// A 32 x 32 region of the largest map a file may hold: the fill's cost beside the region's size.
void BM_FloodFillSmallRegionOfLargestMap(benchmark::State& state) {
    constexpr int32_t kLargest = 4096;
    constexpr int32_t kRegion = 32;
    const auto map = tilemap::Create(kLargest, kLargest);
    map->SetTiles(100, 100, kRegion, kRegion, 1, 2, 3, 1);
    uint8_t glyph = 4;
    for (auto _ : state) {
        const int32_t count = map->FloodFill(*map, 110, 110, glyph, 2, 3, 0, 0, 1);
        benchmark::DoNotOptimize(count);
        glyph = glyph == 1 ? 4 : 1;
    }
    state.SetItemsProcessed(state.iterations() * kRegion * kRegion);
}
BENCHMARK(BM_FloodFillSmallRegionOfLargestMap)->Unit(benchmark::kMillisecond);

void BM_GetChecksum(benchmark::State& state) {
    const auto map = tilemap::Create(kSide, kSide);
    map->InsertCharTable(0, 0);
    map->Fill(255, 7, 255, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(map->GetChecksum());
    }
    state.SetBytesProcessed(state.iterations() * 3 * kSide * kSide);
}
BENCHMARK(BM_GetChecksum)->Unit(benchmark::kMillisecond);

void BM_Copy(benchmark::State& state) {
    const auto map = tilemap::Create(kSide, kSide);
    map->Fill(1, 2, 3, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(map->Copy());
    }
    state.SetBytesProcessed(state.iterations() * 3 * kSide * kSide);
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace dm
