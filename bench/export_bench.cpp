#include "files/image_export.h"
#include "platform/png_codec.h"
#include "support/peak_memory.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <random>

namespace {

namespace fs = std::filesystem;

constexpr int kCells = 256;
constexpr int kGlyphW = 8;
constexpr int kGlyphH = 14;
constexpr int kCompression = 8;

// The shipped tileset beside the program when it is 8 x 14; otherwise a generated one.
std::string TilesetPath(const fs::path& scratch) {
    std::error_code error;
    const fs::path images = fs::read_symlink("/proc/self/exe", error).parent_path() / "data/image";
    const auto sheet =
        error ? nullptr : dm::LoadPixmap((images / "curses_fg.png").generic_string());
    if (sheet && sheet->width == 16 * kGlyphW && sheet->height == 16 * kGlyphH) {
        return (images / "curses.png").generic_string();
    }
    std::mt19937 random(7);
    const auto generated = dm::TPixmap::Create(16 * kGlyphW, 16 * kGlyphH, dm::PF_RGB888, 4);
    for (int y = 0; y < generated->height; ++y) {
        for (int x = 0; x < generated->width; ++x) {
            generated->WritePixel(x, y, random() % 3 == 0 ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    dm::WritePixmapPNG(*generated, (scratch / "generated_fg.png").generic_string(), 1);
    return (scratch / "generated.png").generic_string();
}

dm::ExportLook BenchLook(const fs::path& scratch, benchmark::State& state) {
    dm::ExportLook look;
    look.tilesetPath = TilesetPath(scratch);
    state.SetLabel(look.tilesetPath.ends_with("curses.png") ? "shipped tileset"
                                                            : "generated tileset");
    look.GlyphWidth = kGlyphW;
    look.GlyphHeight = kGlyphH;
    std::mt19937 random(11);
    for (uint8_t& byte : look.palette) {
        byte = static_cast<uint8_t>(random());
    }
    return look;
}

std::shared_ptr<dm::tilemap> BenchMap(int cells) {
    std::mt19937 random(13);
    const auto map = dm::tilemap::Create(cells, cells);
    for (uint8_t& byte : map->tmap) {
        byte = static_cast<uint8_t>(random() % 64);
    }
    return map;
}

// Exports a square map of the given cells across, with the time a plain encode of the same
// picture takes for comparison, and the most memory the export added (the map not counted).
void BM_ExportPNG(benchmark::State& state) {
    const fs::path scratch = fs::temp_directory_path() / "duskmarch_export_bench";
    fs::create_directories(scratch);
    const dm::ExportLook look = BenchLook(scratch, state);
    const int cells = static_cast<int>(state.range(0));
    const auto map = BenchMap(cells);
    const std::string exported = (scratch / "export.png").generic_string();
    const bool measured = dm::test::PeakMemory::Reset();

    using Clock = std::chrono::steady_clock;
    double exportSeconds = 0;
    int64_t addedBytes = 0;
    for (auto _ : state) {
        dm::test::PeakMemory::Reset();
        const int64_t before = dm::test::PeakMemory::Current();
        const auto start = Clock::now();
        const dm::ExportResult result = dm::ExportPNG(*map, exported, kCompression, look);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        addedBytes = std::max(addedBytes, dm::test::PeakMemory::Peak() - before);
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        exportSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    if (measured) {
        state.counters["peak_added_MiB"] = static_cast<double>(addedBytes) / (1 << 20);
    }
    state.counters["pixels"] = double{1.0} * cells * kGlyphW * cells * kGlyphH;
    // The plain encode holds the whole picture, so it is timed only where that fits.
    if (cells <= 1024 && state.iterations() > 0) {
        const auto picture = dm::LoadPixmap(exported);
        const auto start = Clock::now();
        dm::WritePixmapPNG(*picture, (scratch / "plain.png").generic_string(), kCompression);
        const double plainSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.counters["plain_write_ms"] = 1000 * plainSeconds;
        state.counters["ratio_to_plain_write"] =
            exportSeconds / static_cast<double>(state.iterations()) / plainSeconds;
    }
    fs::remove_all(scratch);
}
BENCHMARK(BM_ExportPNG)->Arg(kCells)->UseManualTime()->Unit(benchmark::kMillisecond);
// The largest map a file may hold: a 32768 x 57344 picture.
BENCHMARK(BM_ExportPNG)->Arg(4096)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
