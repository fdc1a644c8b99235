#include "model/tilemap.h"
#include "platform/graphics.h"
#include "platform/headless_driver.h"
#include "platform/sdl/sdl_driver.h"
#include "platform/software_renderer.h"
#include "render/display.h"
#include "render/map_draw.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>

// One editor-sized frame: a 111 x 68 screen, a 64 x 64 canvas and two 16 x 16 pickers, every cell
// with its own colours, drawn with the shipped 8 x 14 tileset.
namespace {

namespace fs = std::filesystem;

constexpr int kScreenW = 111;
constexpr int kScreenH = 68;

dm::Display ShippedDisplay() {
    const fs::path art = fs::read_symlink("/proc/self/exe").parent_path() / "data/image";
    dm::Display display;
    display.tileset = dm::LoadTileset((art / "curses.png").string(), display.config);
    display.palette = dm::LoadPalette((art / "pallet.png").string(), display.config);
    display.windowWidth = kScreenW * display.tileset.GlyphWidth;
    display.windowHeight = kScreenH * display.tileset.GlyphHeight;
    return display;
}

std::shared_ptr<dm::tilemap> RandomMap(int w, int h, unsigned seed) {
    auto map = dm::tilemap::Create(w, h);
    map->transparentcolor = 255;
    std::mt19937 random(seed);
    for (uint8_t& byte : map->tmap) {
        byte = static_cast<uint8_t>(random() % 255);
    }
    return map;
}

struct Scene {
    dm::Display display = ShippedDisplay();
    std::shared_ptr<dm::tilemap> screen = RandomMap(kScreenW, kScreenH, 1);
    std::shared_ptr<dm::tilemap> canvas = RandomMap(64, 64, 2);
    std::shared_ptr<dm::tilemap> glyphs = RandomMap(16, 16, 3);
    std::shared_ptr<dm::tilemap> colours = RandomMap(16, 16, 4);

    void Record() {
        dm::Cls();
        dm::Draw(*screen, display, 0, 0, 0, 0, -1, -1);
        dm::Draw(*canvas, display, 24, 2, 0, 0, 64, 64);
        dm::Draw(*glyphs, display, 0, 16, 0, 0, -1, -1);
        dm::Draw(*colours, display, 0, 36, 0, 0, -1, -1);
    }
};

std::ostringstream quietLog;

void BM_RecordFrame(benchmark::State& state) {
    Scene scene;
    dm::SetSystemDriver(std::make_shared<dm::HeadlessDriver>(dm::ReplayScript{}, quietLog));
    dm::OpenGraphics(scene.display.windowWidth, scene.display.windowHeight, 0, 60, 0);
    for (auto _ : state) {
        scene.Record();
        state.counters["commands"] =
            static_cast<double>(dm::CurrentGraphics()->frame.commands.size());
        dm::CurrentGraphics()->frame.commands.clear();
    }
}
BENCHMARK(BM_RecordFrame)->Unit(benchmark::kMillisecond);

void BM_SoftwareSubmit(benchmark::State& state) {
    Scene scene;
    dm::SetSystemDriver(std::make_shared<dm::HeadlessDriver>(dm::ReplayScript{}, quietLog));
    dm::OpenGraphics(scene.display.windowWidth, scene.display.windowHeight, 0, 60, 0);
    scene.Record();
    const dm::FrameList frame = dm::CurrentGraphics()->frame;
    auto target = dm::TPixmap::Create(scene.display.windowWidth, scene.display.windowHeight,
                                      dm::PF_RGBA8888, 4);
    for (auto _ : state) {
        dm::RasterizeFrame(frame, *target);
    }
}
BENCHMARK(BM_SoftwareSubmit)->Unit(benchmark::kMillisecond);

// Needs a display (run under xvfb-run); skipped without one. Each iteration presents the frame
// without pacing, so its rate is the frames per second the OpenGL driver manages.
void BM_OpenGlSubmit(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    Scene scene;
    auto driver = std::make_shared<dm::SdlDriver>();
    dm::SetSystemDriver(driver);
    std::string whyNot;
    if (!dm::OpenGraphics(scene.display.windowWidth, scene.display.windowHeight, 0, 60, 0,
                          &whyNot)) {
        state.SkipWithError(whyNot.c_str());
        return;
    }
    scene.Record();
    const dm::FrameList frame = dm::CurrentGraphics()->frame;
    for (auto _ : state) {
        driver->Present(frame, 0);
    }
    state.counters["draw_calls"] = driver->DrawCalls();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    dm::CloseGraphics();
    dm::SetSystemDriver(nullptr);
}
BENCHMARK(BM_OpenGlSubmit)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
