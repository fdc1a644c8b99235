#include "sample_picture.h"

#include "files/glyph_sheet.h"
#include "picture_art/picture_art.h"
#include "platform/pictures/png_codec.h"
#include "render/display_config.h"
#include "render/palette.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr int kPictureWidth = 1600;
constexpr int kPictureHeight = 1200;
constexpr int kColumns = 200;

// The shipped tileset and palette beside the program.
dm::ArtLook ShippedLook() {
    std::error_code error;
    const fs::path images = fs::read_symlink("/proc/self/exe", error).parent_path() / "data/image";
    const auto sheet =
        dm::LoadPixmap(dm::ForegroundSheetPath((images / "curses.png").generic_string()));
    if (!sheet) {
        std::cerr << "no tileset in " << images << "\n";
        std::exit(1);
    }
    dm::ArtLook look;
    look.masks =
        dm::GlyphMasks(*sheet, sheet->width / dm::kGlyphsPerRow, sheet->height / dm::kGlyphsPerRow);
    look.palette =
        dm::LoadPalette((images / "pallet.png").generic_string(), dm::DisplayConfig{}).planes;
    return look;
}

// Converts the sample picture at 200 columns with the glyph set of range 0 (all, blocks,
// ascii) on range 1 threads (0: every core), with the PSNR of the result.
void BM_PictureArt(benchmark::State& state) {
    static const dm::ArtLook look = ShippedLook();
    static const auto picture = dm::bench::SamplePicture(kPictureWidth, kPictureHeight);
    const dm::GlyphSet sets[] = {dm::GlyphSet::All, dm::GlyphSet::Blocks, dm::GlyphSet::Ascii};
    const char* const names[] = {"all", "blocks", "ascii"};
    dm::ArtRequest request;
    request.columns = kColumns;
    request.rows = dm::ArtRows(picture->width, picture->height, kColumns, look.masks.Width(),
                               look.masks.Height());
    request.glyphs = sets[state.range(0)];
    request.threads = static_cast<int>(state.range(1));
    double psnr = 0;
    for (auto _ : state) {
        const dm::Expected<dm::Art> art = dm::MakeArt(*picture, look, request);
        if (!art) {
            state.SkipWithError(art.Why().c_str());
            return;
        }
        psnr = art->quality.Psnr();
    }
    const int threads = request.threads > 0
                            ? request.threads
                            : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    state.SetLabel(std::string(names[state.range(0)]) + ", " + std::to_string(threads) +
                   (threads == 1 ? " thread, " : " threads, ") + std::to_string(request.columns) +
                   " x " + std::to_string(request.rows) + " cells");
    state.counters["psnr_db"] = psnr;
}
BENCHMARK(BM_PictureArt)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"glyphs", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

// "--write-picture WIDTH HEIGHT PATH" saves the sample picture instead of measuring.
int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--write-picture") {
        const auto picture = dm::bench::SamplePicture(std::atoi(argv[2]), std::atoi(argv[3]));
        return picture && dm::WritePixmapPNG(*picture, argv[4], 9) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
