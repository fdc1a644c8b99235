#include "editor/undo_history.h"

#include <benchmark/benchmark.h>

#include <random>

namespace dm {
namespace {

constexpr int32_t kSide = 1024;
constexpr int kFills = 100;

// The largest canvas, every cell different from its neighbours, as a drawing may leave it.
std::shared_ptr<tilemap> Noise() {
    auto map = tilemap::Create(kSide, kSide);
    std::mt19937 random(11);
    for (uint8_t& byte : map->tmap) {
        byte = static_cast<uint8_t>(random());
    }
    return map;
}

// The history of 100 fills of the whole canvas, the first over noise: its memory and the time
// of noting each fill as a step.
void BM_HundredFullCanvasFills(benchmark::State& state) {
    size_t bytes = 0;
    size_t steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto image = Noise();
        UndoHistory history;
        history.Note(*image);
        state.ResumeTiming();
        for (int fill = 0; fill < kFills; ++fill) {
            image->Fill(fill, 255 - fill, fill / 2, 1);
            history.Note(*image);
        }
        bytes = history.Bytes();
        steps = history.UndoCount();
    }
    state.counters["history_MiB"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_HundredFullCanvasFills)->Unit(benchmark::kMillisecond)->Iterations(3);

// Undoing and redoing one fill of the whole canvas, the first one, over noise.
void BM_UndoRedoFullCanvasStep(benchmark::State& state) {
    auto image = Noise();
    UndoHistory history;
    history.Note(*image);
    image->Fill(1, 2, 3, 1);
    history.Note(*image);
    for (auto _ : state) {
        history.Undo(image);
        history.Redo(image);
        benchmark::DoNotOptimize(image->tmap.data());
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_UndoRedoFullCanvasStep)->Unit(benchmark::kMillisecond);

// What every frame costs the history of the largest canvas when nothing changed.
void BM_NoteUnchangedLargestCanvas(benchmark::State& state) {
    const auto image = Noise();
    UndoHistory history;
    history.Note(*image);
    for (auto _ : state) {
        history.Note(*image);
    }
}
BENCHMARK(BM_NoteUnchangedLargestCanvas)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace dm
