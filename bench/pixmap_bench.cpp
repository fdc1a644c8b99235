#include "platform/io/memory_stream.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"
#include "platform/pictures/png_test_files.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// Exports write every pixel of a large RGBA picture one at a time.
void BM_WritePixelRgba(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    auto p = dm::TPixmap::Create(side, side, dm::kPixelFormatRGBA8888, 4);
    uint32_t colour = 0x80402010;
    for (auto _ : state) {
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                p->WritePixel(x, y, colour + static_cast<uint32_t>(x));
        benchmark::DoNotOptimize(p->pixels);
        ++colour;
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_WritePixelRgba)->Arg(2048);

void BM_ReadPixelRgb(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    auto p = dm::TPixmap::Create(side, side, dm::kPixelFormatRGB888, 4);
    p->ClearPixels(0xFF102030);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                sum += p->ReadPixel(x, y);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_ReadPixelRgb)->Arg(2048);

void BM_ConvertBgrToRgba(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    auto p = dm::TPixmap::Create(side, side, dm::kPixelFormatBGR888, 4);
    p->ClearPixels(0xFF102030);
    for (auto _ : state)
        benchmark::DoNotOptimize(p->Convert(dm::kPixelFormatRGBA8888));
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_ConvertBgrToRgba)->Arg(2048);

std::shared_ptr<dm::TPixmap> Picture(int side) {
    auto p = dm::TPixmap::Create(side, side, dm::kPixelFormatRGBA8888, 4);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            p->WritePixel(x, y, (x / 8 + y / 8) % 2 ? 0xFFC08040u : 0u);
    return p;
}

void BM_WritePng(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    auto p = Picture(side);
    for (auto _ : state) {
        dm::TMemoryStream out;
        benchmark::DoNotOptimize(dm::WritePixmapPNG(*p, out, 8));
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_WritePng)->Arg(1024);

void BM_LoadPng(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    dm::TMemoryStream encoded;
    dm::WritePixmapPNG(*Picture(side), encoded, 8);
    for (auto _ : state) {
        encoded.Seek(0);
        benchmark::DoNotOptimize(dm::LoadPixmap(encoded));
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_LoadPng)->Arg(1024);

// A 10 x 10 picture whose image data go on with the given mebibytes of compressed zeros after
// its last row: the time must not grow with them.
void BM_LoadPngPastLastRow(benchmark::State& state) {
    dm::test::PngPicture picture = dm::test::Picture(10, 10, PNG_COLOR_TYPE_RGB);
    picture.rows.assign(300, 0x5A);
    dm::TMemoryStream encoded(
        dm::test::PngWithDataPastLastRow(picture, static_cast<uint64_t>(state.range(0)) << 20));
    for (auto _ : state) {
        encoded.Seek(0);
        benchmark::DoNotOptimize(dm::LoadPixmap(encoded));
    }
    state.counters["file_bytes"] = static_cast<double>(encoded.Size());
}
BENCHMARK(BM_LoadPngPastLastRow)
    ->Arg(0)
    ->Arg(64)
    ->Arg(1024)
    ->Arg(8192)
    ->Unit(benchmark::kMillisecond);

} // namespace
