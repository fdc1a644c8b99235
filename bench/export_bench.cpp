#include "files/image_export.h"
#include "platform/png_codec.h"

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

void BM_ExportPNG(benchmark::State& state) {
    const fs::path scratch = fs::temp_directory_path() / "duskmarch_export_bench";
    fs::create_directories(scratch);
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
    const auto map = dm::tilemap::Create(kCells, kCells);
    for (uint8_t& byte : map->tmap) {
        byte = static_cast<uint8_t>(random() % 64);
    }
    const std::string exported = (scratch / "export.png").generic_string();
    const std::string plain = (scratch / "plain.png").generic_string();

    using Clock = std::chrono::steady_clock;
    double exportSeconds = 0;
    double plainSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const auto picture = dm::ExportPNG(*map, exported, kCompression, look);
        const auto exportEnd = Clock::now();
        if (!picture) {
            state.SkipWithError("export failed");
            break;
        }
        dm::WritePixmapPNG(*picture, plain, kCompression);
        const auto plainEnd = Clock::now();
        const double exportTime = std::chrono::duration<double>(exportEnd - start).count();
        exportSeconds += exportTime;
        plainSeconds += std::chrono::duration<double>(plainEnd - exportEnd).count();
        state.SetIterationTime(exportTime);
    }
    state.counters["plain_write_ms"] = 1000 * plainSeconds / state.iterations();
    state.counters["ratio_to_plain_write"] = exportSeconds / plainSeconds;
    state.counters["pixels"] = double{kCells} * kGlyphW * kCells * kGlyphH;
    fs::remove_all(scratch);
}
BENCHMARK(BM_ExportPNG)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
