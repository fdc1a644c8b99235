#include "editor/autosave.h"
#include "files/recovery_file.h"
#include "files/recovery_store.h"
#include "model/tilemap.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

// The two halves of an autosave of a 1024 x 1024 canvas: what the frame thread spends handing it
// over (the copy of its cells), to be set against a frame of 1000 / 60 ms, and what the worker
// spends writing it through the side-file writer, synced to the disk.
namespace {

namespace fs = std::filesystem;

constexpr int kSide = 1024;
constexpr double kFrameMs = 1000.0 / 60.0;

// 0: a drawing (runs of a few cells, as maps mostly are); 1: every cell random, the most bytes.
std::shared_ptr<dm::tilemap> Canvas(int kind) {
    auto map = dm::tilemap::Create(kSide, kSide);
    std::mt19937 random(7);
    if (kind == 0) {
        for (int i = 0; i < 20000; ++i) {
            map->SetTiles(
                static_cast<int32_t>(random() % kSide), static_cast<int32_t>(random() % kSide),
                1 + static_cast<int32_t>(random() % 12), 1, static_cast<uint8_t>(random()),
                static_cast<uint8_t>(random() % 16), static_cast<uint8_t>(random() % 16), 1);
        }
    } else {
        for (uint8_t& byte : map->tmap) {
            byte = static_cast<uint8_t>(random());
        }
    }
    return map;
}

// A folder of its own under the system's temporary one, removed afterwards.
class Scratch {
  public:
    Scratch()
        : path_(fs::temp_directory_path() /
                ("duskmarch_autosave_bench_" + std::to_string(getpid()))) {
        fs::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

// The frame thread's share: one Tick with a changed 1024 x 1024 canvas due. The worker's write is
// waited for outside the timing, so it does not compete for the processor.
void BM_AutosaveFrameShare(benchmark::State& state) {
    Scratch scratch;
    dm::Expected<std::unique_ptr<dm::RecoverySession>> session =
        dm::RecoverySession::Create(scratch.Path("recovery"));
    if (!session) {
        state.SkipWithError(session.Why().c_str());
        return;
    }
    dm::Autosaver saver(std::move(session), 1, 0);
    auto changed = std::make_shared<dm::canvas>();
    changed->path = "Untitled";
    changed->img = Canvas(static_cast<int>(state.range(0)));
    const std::vector<std::shared_ptr<dm::canvas>> canvases{changed};
    int64_t now = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++changed->changes;
        state.ResumeTiming();
        saver.Tick(canvases, ++now);
        state.PauseTiming();
        saver.WaitUntilIdle();
        state.ResumeTiming();
    }
    state.counters["frame_ms"] = kFrameMs;
}
// A fixed count: each timed hand-over is followed by an untimed write of a few megabytes.
BENCHMARK(BM_AutosaveFrameShare)->Arg(0)->Arg(1)->Iterations(30)->Unit(benchmark::kMillisecond);

// The worker's share: encoding, writing and syncing the recovery file.
void BM_AutosaveWorkerWrite(benchmark::State& state) {
    Scratch scratch;
    const dm::RecoveryRecord record{"Untitled", "", Canvas(static_cast<int>(state.range(0)))};
    const std::string file = scratch.Path("canvas-1.dmrecovery");
    for (auto _ : state) {
        if (!dm::WriteRecoveryFile(record, file)) {
            state.SkipWithError("the recovery file could not be written");
            return;
        }
    }
    state.counters["file_MiB"] = static_cast<double>(fs::file_size(file)) / (1 << 20);
}
BENCHMARK(BM_AutosaveWorkerWrite)->Arg(0)->Arg(1)->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace
