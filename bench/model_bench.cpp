#include "model/tilemap.h"

#include <benchmark/benchmark.h>

namespace dm {
namespace {

constexpr int32_t side = 1024;

void BM_FloodFillWholeMap(benchmark::State& state) {
    const auto map = tilemap::Create(side, side);
    uint8_t glyph = 1;
    for (auto _ : state) {
        // Alternating the fill tile keeps every round a fill of the whole map.
        const int32_t count = map->FloodFill(*map, side / 2, side / 2, glyph, 2, 3, 0, 0, 1);
        benchmark::DoNotOptimize(count);
        glyph = glyph == 1 ? 4 : 1;
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_FloodFillWholeMap)->Unit(benchmark::kMillisecond);

void BM_GetChecksum(benchmark::State& state) {
    const auto map = tilemap::Create(side, side);
    map->InsertCharTable(0, 0);
    map->Fill(255, 7, 255, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(map->GetChecksum());
    }
    state.SetBytesProcessed(state.iterations() * 3 * side * side);
}
BENCHMARK(BM_GetChecksum)->Unit(benchmark::kMillisecond);

void BM_Copy(benchmark::State& state) {
    const auto map = tilemap::Create(side, side);
    map->Fill(1, 2, 3, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(map->Copy());
    }
    state.SetBytesProcessed(state.iterations() * 3 * side * side);
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace dm
