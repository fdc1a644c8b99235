// Exports of square maps, drawing-like and random, each measured against the plain libpng encode
// at level 8 (adaptive row filters, one core) of the same pixels in the same run: the same
// painter renders the same rows for both, band by band, so neither holds the picture. Counters:
// time_ratio and size_ratio are the export's over the plain encode's; the processor time of all
// threads (cpu_ms) shows what each costs on a busy machine; peak_added_MiB is the most memory the
// export added, with the memory freed before it handed back to the system first.

#include "files/glyph_sheet.h"
#include "files/image_export.h"
#include "files/parallel_png_writer.h"
#include "platform/io/c_stream.h"
#include "platform/pictures/png_codec.h"
#include "support/peak_memory.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <malloc.h>
#include <random>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kGlyphW = 8;
constexpr int kGlyphH = 14;
constexpr int kPlainBandBytes = 4 << 20;

// The kinds of map exported, as benchmark arguments.
constexpr int kDrawing = 0;
constexpr int kRandom = 1;

// Processor time of every thread of the process so far.
double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

fs::path ShippedImages() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path() / "data/image";
}

// The shipped tileset when it is 8 x 14; otherwise a generated one.
std::string TilesetPath(const fs::path& scratch) {
    const std::string shipped = (ShippedImages() / "curses.png").generic_string();
    const auto sheet = dm::LoadPixmap(dm::ForegroundSheetPath(shipped));
    if (sheet && sheet->width == dm::kGlyphsPerRow * kGlyphW &&
        sheet->height == dm::kGlyphsPerRow * kGlyphH) {
        return shipped;
    }
    std::mt19937 random(7);
    const auto generated = dm::TPixmap::Create(
        dm::kGlyphsPerRow * kGlyphW, dm::kGlyphsPerRow * kGlyphH, dm::kPixelFormatRGB888, 4);
    for (int y = 0; y < generated->height; ++y) {
        for (int x = 0; x < generated->width; ++x) {
            generated->WritePixel(x, y, random() % 3 == 0 ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    const std::string generatedTileset = (scratch / "generated.png").generic_string();
    dm::WritePixmapPNG(*generated, dm::ForegroundSheetPath(generatedTileset), 1);
    return generatedTileset;
}

// The shipped palette read row by row; random colours where it is missing or short.
dm::ExportLook BenchLook(const fs::path& scratch) {
    dm::ExportLook look;
    look.tilesetPath = TilesetPath(scratch);
    look.GlyphWidth = kGlyphW;
    look.GlyphHeight = kGlyphH;
    std::mt19937 random(11);
    for (uint8_t& byte : look.palette) {
        byte = static_cast<uint8_t>(random());
    }
    const auto palette = dm::LoadPixmap((ShippedImages() / "pallet.png").generic_string());
    const int entries =
        palette ? std::min(dm::kPaletteEntries, palette->width * palette->height) : 0;
    for (int i = 0; i < entries; ++i) {
        const uint32_t color = palette->ReadPixel(i % palette->width, i / palette->width);
        look.palette[i] = static_cast<uint8_t>(color >> 16);
        look.palette[dm::kPaletteEntries + i] = static_cast<uint8_t>(color >> 8);
        look.palette[2 * dm::kPaletteEntries + i] = static_cast<uint8_t>(color);
    }
    return look;
}

// What a user draws: filled regions of a few tiles, framed rooms and lines of text, as many
// rooms per area as the file benchmarks' 1024 x 1024 drawing.
std::shared_ptr<dm::tilemap> DrawingMap(int side) {
    const auto map = dm::tilemap::Create(side, side);
    std::mt19937 random(2026);
    map->Fill(250, 8, 0, 1);
    const int rooms = 400 * side / 1024 * side / 1024;
    for (int room = 0; room < rooms; ++room) {
        const int x = static_cast<int>(random() % side);
        const int y = static_cast<int>(random() % side);
        const int w = 4 + static_cast<int>(random() % 60);
        const int h = 3 + static_cast<int>(random() % 30);
        const auto fill = static_cast<uint8_t>(random() % 4 == 0 ? 176 : 32);
        map->SetTiles(x, y, w, h, fill, static_cast<uint8_t>(random() % 16),
                      static_cast<uint8_t>(random() % 16), 1);
        map->SetTiles(x, y, w, 1, 205, 15, 1, 1);
        map->SetTiles(x, y + h - 1, w, 1, 205, 15, 1, 1);
        map->SetTiles(x, y, 1, h, 186, 15, 1, 1);
        map->SetTiles(x + w - 1, y, 1, h, 186, 15, 1, 1);
        map->InsertString(x + 2, y + 1, "Room " + std::to_string(room) + ": @14@treasure@@ here", 7,
                          255, 1, 0, 0);
    }
    return map;
}

// Every glyph and colour byte drawn at random.
std::shared_ptr<dm::tilemap> RandomMap(int side) {
    const auto map = dm::tilemap::Create(side, side);
    std::mt19937 random(1024);
    for (uint8_t& byte : map->tmap) {
        byte = static_cast<uint8_t>(random());
    }
    return map;
}

// The plain libpng encode of the export's pixels, rendered by the same painter; its file size.
int64_t PlainEncode(const dm::tilemap& map, const dm::ExportLook& look, const std::string& path) {
    const auto painter = dm::ExportPainter::Create(map, look);
    const auto out = dm::TCStream::OpenFile(path, false, true);
    if (!painter || !out) {
        return -1;
    }
    const dm::PngLayout layout{static_cast<int>((*painter)->Width()),
                               static_cast<int>((*painter)->Height()), dm::kPixelFormatRGBA8888};
    const int bandRows = std::max(1, kPlainBandBytes / (layout.width * 4));
    const bool written = dm::WritePngBands(
        *out, layout, bandRows, dm::kEditorExportCompression,
        [&painter](dm::TPixmap& band, int firstRow) {
            (*painter)->Paint(band.pixels, static_cast<size_t>(band.pitch), firstRow, band.height);
        });
    out->Close();
    return written ? static_cast<int64_t>(fs::file_size(path)) : -1;
}

void BM_ExportPNG(benchmark::State& state) {
    const fs::path scratch = fs::temp_directory_path() / "duskmarch_export_bench";
    fs::create_directories(scratch);
    const dm::ExportLook look = BenchLook(scratch);
    const int cells = static_cast<int>(state.range(1));
    const auto map = state.range(0) == kDrawing ? DrawingMap(cells) : RandomMap(cells);
    const std::string exported = (scratch / "export.png").generic_string();
    state.SetLabel(look.tilesetPath.ends_with("curses.png") ? "shipped tileset"
                                                            : "generated tileset");
    const bool measured = dm::test::PeakMemory::Reset();

    double exportSeconds = 0;
    double exportCpuSeconds = 0;
    int64_t addedBytes = 0;
    for (auto _ : state) {
        // Memory freed by earlier work would otherwise be reused unseen.
        malloc_trim(0);
        dm::test::PeakMemory::Reset();
        const int64_t before = dm::test::PeakMemory::Current();
        const double cpuStart = ProcessSeconds();
        const auto start = Clock::now();
        const dm::Outcome result =
            dm::ExportPNG(*map, exported, dm::kEditorExportCompression, look);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        exportCpuSeconds += ProcessSeconds() - cpuStart;
        addedBytes = std::max(addedBytes, dm::test::PeakMemory::Peak() - before);
        if (!result) {
            state.SkipWithError(result.Why().c_str());
            break;
        }
        exportSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    if (measured) {
        state.counters["peak_added_MiB"] = static_cast<double>(addedBytes) / (1 << 20);
    }
    state.counters["pixels"] = double{1.0} * cells * kGlyphW * cells * kGlyphH;
    state.counters["threads"] = dm::CoreCount();
    if (state.iterations() > 0 && fs::exists(exported)) {
        const auto exportBytes = static_cast<double>(fs::file_size(exported));
        state.counters["export_bytes"] = exportBytes;
        const auto iterations = static_cast<double>(state.iterations());
        state.counters["cpu_ms"] = 1000 * exportCpuSeconds / iterations;
        if (state.range(2) != 0) {
            const double cpuStart = ProcessSeconds();
            const auto start = Clock::now();
            const int64_t plainBytes =
                PlainEncode(*map, look, (scratch / "plain.png").generic_string());
            const double plainSeconds = std::chrono::duration<double>(Clock::now() - start).count();
            state.counters["plain_cpu_ms"] = 1000 * (ProcessSeconds() - cpuStart);
            state.counters["plain_ms"] = 1000 * plainSeconds;
            state.counters["plain_bytes"] = static_cast<double>(plainBytes);
            state.counters["time_ratio"] = exportSeconds / iterations / plainSeconds;
            state.counters["size_ratio"] = exportBytes / static_cast<double>(plainBytes);
        }
    }
    fs::remove_all(scratch);
}

// Arguments: kind, cells across and down, whether to measure the plain encode too.
void SmallSizes(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"kind", "cells", "plain"});
    for (const int cells : {256, 512}) {
        for (const int kind : {kDrawing, kRandom}) {
            bench->Args({kind, cells, 1});
        }
    }
}
BENCHMARK(BM_ExportPNG)
    ->Apply(SmallSizes)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPNG)
    ->ArgNames({"kind", "cells", "plain"})
    ->Args({kDrawing, 1024, 1})
    ->Args({kRandom, 1024, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
// The largest map a file may hold: a 32768 x 57344 picture, with no plain encode to wait for.
BENCHMARK(BM_ExportPNG)
    ->Args({kDrawing, 4096, 0})
    ->ArgNames({"kind", "cells", "plain"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
