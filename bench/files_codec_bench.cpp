#include "files/png_body.h"
#include "files/random.h"
#include "files/vector_list.h"

#include <benchmark/benchmark.h>

#include <random>

namespace dm {
namespace {

constexpr int32_t kSide = 1024;

// A map with the mix of runs and varied cells that drawings have.
std::shared_ptr<tilemap> SampleMap() {
    auto map = tilemap::Create(kSide, kSide);
    std::mt19937 random(1);
    uint8_t value = 0;
    for (uint8_t& cell : map->tmap) {
        if (random() % 8 == 0) {
            value = static_cast<uint8_t>(random());
        }
        cell = value;
    }
    return map;
}

void BM_EncodeScrambled(benchmark::State& state) {
    const auto map = SampleMap();
    RandomGenerator random;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodePNGBytes(*map, 1, random));
    }
}
BENCHMARK(BM_EncodeScrambled)->Unit(benchmark::kMillisecond);

void BM_DecodeScrambled(benchmark::State& state) {
    RandomGenerator random;
    const std::vector<uint8_t> png = *EncodePNGBytes(*SampleMap(), 1, random);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodePNG(png, 1, random));
    }
}
BENCHMARK(BM_DecodeScrambled)->Unit(benchmark::kMillisecond);

void BM_MixVectorList(benchmark::State& state) {
    RandomGenerator random;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<vector> list = createvectorlist(kSide, kSide);
        random.Seed(0);
        state.ResumeTiming();
        mixvectorlist(list, random);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_MixVectorList)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace dm
