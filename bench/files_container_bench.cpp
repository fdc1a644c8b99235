// Save and Read of 1024 x 1024 maps, each timed against a plain PNG encode (level 9) or decode of
// the same cells as an RGB picture, measured in the same iterations. The "ratio" counter is the
// container operation's time over that floor.

#include "files/tilemap_file.h"
#include "platform/io/memory_stream.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int32_t kSide = 1024;

enum class Kind { OneTile, RandomCells, Drawing };

std::shared_ptr<dm::tilemap> OneTileMap() {
    std::shared_ptr<dm::tilemap> map = dm::tilemap::Create(kSide, kSide);
    map->Fill(219, 7, 1, 1);
    return map;
}

std::shared_ptr<dm::tilemap> RandomCellsMap() {
    std::shared_ptr<dm::tilemap> map = dm::tilemap::Create(kSide, kSide);
    std::mt19937 random(1024);
    for (uint8_t& cell : map->tmap) {
        cell = static_cast<uint8_t>(random());
    }
    return map;
}

// What a user draws: filled regions of a few tiles, framed rooms, and lines of text.
std::shared_ptr<dm::tilemap> DrawingMap() {
    std::shared_ptr<dm::tilemap> map = dm::tilemap::Create(kSide, kSide);
    std::mt19937 random(2026);
    map->Fill(250, 8, 0, 1);
    for (int region = 0; region < 400; ++region) {
        const int x = static_cast<int>(random() % kSide);
        const int y = static_cast<int>(random() % kSide);
        const int w = 4 + static_cast<int>(random() % 60);
        const int h = 3 + static_cast<int>(random() % 30);
        const auto fill = static_cast<uint8_t>(random() % 4 == 0 ? 176 : 32);
        map->SetTiles(x, y, w, h, fill, static_cast<uint8_t>(random() % 16),
                      static_cast<uint8_t>(random() % 16), 1);
        map->SetTiles(x, y, w, 1, 205, 15, 1, 1);
        map->SetTiles(x, y + h - 1, w, 1, 205, 15, 1, 1);
        map->SetTiles(x, y, 1, h, 186, 15, 1, 1);
        map->SetTiles(x + w - 1, y, 1, h, 186, 15, 1, 1);
        map->InsertString(x + 2, y + 1, "Room " + std::to_string(region) + ": @14@treasure@@ here",
                          7, 255, 1, 0, 0);
    }
    return map;
}

const dm::tilemap& MapOf(Kind kind) {
    static const std::shared_ptr<dm::tilemap> one = OneTileMap();
    static const std::shared_ptr<dm::tilemap> random = RandomCellsMap();
    static const std::shared_ptr<dm::tilemap> drawing = DrawingMap();
    switch (kind) {
    case Kind::OneTile:
        return *one;
    case Kind::RandomCells:
        return *random;
    case Kind::Drawing:
        break;
    }
    return *drawing;
}

// One pixel per cell carrying glyph, foreground and background, laid out as in the saved
// picture: the cells in storage order run down the columns, so pixel (x, y) holds cell x * h + y.
// The layout matters: level 9 takes far longer on some layouts of the same cells than on others.
std::shared_ptr<dm::TPixmap> PictureOf(const dm::tilemap& map) {
    std::shared_ptr<dm::TPixmap> picture =
        dm::TPixmap::Create(map.tmapw, map.tmaph, dm::kPixelFormatRGB888, 4);
    const size_t plane = static_cast<size_t>(map.tmapw) * map.tmaph;
    size_t cell = 0;
    for (int32_t x = 0; x < map.tmapw; ++x) {
        for (int32_t y = 0; y < map.tmaph; ++y, ++cell) {
            uint8_t* pixel = picture->PixelPtr(x, y);
            pixel[0] = map.tmap[cell];
            pixel[1] = map.tmap[plane + cell];
            pixel[2] = map.tmap[2 * plane + cell];
        }
    }
    return picture;
}

std::vector<uint8_t> EncodeFloor(const dm::TPixmap& picture) {
    dm::TMemoryStream out;
    dm::WritePixmapPNG(picture, out, 9);
    return out.TakeBytes();
}

// Sends the statistics lines that Save prints to /dev/null while a benchmark runs.
class QuietStdout {
  public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        std::FILE* null = std::freopen("/dev/null", "w", stdout);
        benchmark::DoNotOptimize(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

  private:
    int saved_ = -1;
};

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// Processor time of this process, which other programs on a loaded machine do not inflate.
double ProcessorSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times `operation` and `floor` alternately; the benchmark's own time is the operation's wall
// time. "ratio" compares wall times, "cpu_ratio" processor times.
void RunAgainstFloor(benchmark::State& state, const std::function<void()>& operation,
                     const std::function<void()>& floor) {
    double operationWall = 0;
    double floorWall = 0;
    double operationCpu = 0;
    double floorCpu = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessorSeconds();
        const Clock::time_point start = Clock::now();
        operation();
        const Clock::time_point middle = Clock::now();
        const double cpuMiddle = ProcessorSeconds();
        floor();
        const Clock::time_point end = Clock::now();
        const double cpuEnd = ProcessorSeconds();
        operationWall += Seconds(middle - start);
        floorWall += Seconds(end - middle);
        operationCpu += cpuMiddle - cpuStart;
        floorCpu += cpuEnd - cpuMiddle;
        state.SetIterationTime(Seconds(middle - start));
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["floor_ms"] = benchmark::Counter(floorWall * 1000 / iterations);
    state.counters["ratio"] = benchmark::Counter(operationWall / floorWall);
    state.counters["cpu_ratio"] = benchmark::Counter(operationCpu / floorCpu);
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            ("duskmarch_bench_" + std::to_string(::getpid()) + "_" + name))
        .string();
}

void BM_Save(benchmark::State& state, Kind kind) {
    const dm::tilemap& map = MapOf(kind);
    const std::shared_ptr<dm::TPixmap> picture = PictureOf(map);
    const std::string path = TempPath("save.dtm");
    QuietStdout quiet;
    RunAgainstFloor(
        state, [&] { benchmark::DoNotOptimize(dm::Save(map, path)); },
        [&] { benchmark::DoNotOptimize(EncodeFloor(*picture)); });
    state.counters["file_bytes"] =
        benchmark::Counter(static_cast<double>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

void BM_Read(benchmark::State& state, Kind kind) {
    const dm::tilemap& map = MapOf(kind);
    const std::vector<uint8_t> png = EncodeFloor(*PictureOf(map));
    const std::string path = TempPath("read.dtm");
    {
        QuietStdout quiet;
        dm::Save(map, path);
    }
    RunAgainstFloor(
        state,
        [&] {
            const std::shared_ptr<dm::tilemap> back = dm::Read(path, nullptr);
            if (!back) {
                state.SkipWithError("the saved map did not read back");
            }
            benchmark::DoNotOptimize(back);
        },
        [&] {
            dm::TMemoryStream in(png);
            benchmark::DoNotOptimize(dm::LoadPixmap(in));
        });
    std::filesystem::remove(path);
}

BENCHMARK_CAPTURE(BM_Save, one_tile, Kind::OneTile)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, random_cells, Kind::RandomCells)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, drawing, Kind::Drawing)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, one_tile, Kind::OneTile)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, random_cells, Kind::RandomCells)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, drawing, Kind::Drawing)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
