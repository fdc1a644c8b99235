#include "editor/canvas_commands.h"
#include "editor/editor.h"
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

// Frames of the editor's size, recorded, drawn in software and submitted to OpenGL: a made-up scene
// and the editor's own fullest frame.
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

// A 111 x 68 screen, a 64 x 64 canvas and two 16 x 16 pickers, every cell with its own colours,
// drawn with the shipped 8 x 14 tileset.
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

// The scene's window on the headless driver, which records what is drawn.
void OpenHeadless(const Scene& scene) {
    dm::SetSystemDriver(std::make_shared<dm::HeadlessDriver>(dm::ReplayScript{}, quietLog));
    dm::OpenGraphics(scene.display.windowWidth, scene.display.windowHeight, 0, 60, 0);
}

void BM_RecordFrame(benchmark::State& state) {
    Scene scene;
    OpenHeadless(scene);
    for (auto _ : state) {
        scene.Record();
        state.counters["commands"] =
            static_cast<double>(dm::CurrentGraphics()->frame.commands.size());
        dm::CurrentGraphics()->frame.commands.clear();
    }
}
BENCHMARK(BM_RecordFrame)->Unit(benchmark::kMillisecond);

dm::FrameList RecordedScene(Scene& scene) {
    OpenHeadless(scene);
    scene.Record();
    return dm::CurrentGraphics()->frame;
}

void BM_SoftwareSubmit(benchmark::State& state) {
    Scene scene;
    const dm::FrameList frame = RecordedScene(scene);
    auto target = dm::TPixmap::Create(scene.display.windowWidth, scene.display.windowHeight,
                                      dm::PF_RGBA8888, 4);
    for (auto _ : state) {
        dm::RasterizeFrame(frame, *target);
    }
}
BENCHMARK(BM_SoftwareSubmit)->Unit(benchmark::kMillisecond);

// Presents the frame in a real window without pacing, so that its rate is the frames per second
// the OpenGL driver manages. Needs a display (run under xvfb-run); skipped without one. One driver
// serves every benchmark: SDL's X11 video does not always start again in the same process.
void PresentInWindow(benchmark::State& state, const dm::FrameList& frame, int width, int height) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    static const auto driver = std::make_shared<dm::SdlDriver>();
    dm::SetSystemDriver(driver);
    std::string whyNot;
    if (!dm::OpenGraphics(width, height, 0, 60, 0, &whyNot)) {
        state.SkipWithError(whyNot.c_str());
        return;
    }
    for (auto _ : state) {
        driver->Present(frame, 0);
    }
    state.counters["draw_calls"] = driver->DrawCalls();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    dm::CloseGraphics();
    dm::SetSystemDriver(nullptr);
}

void BM_OpenGlSubmit(benchmark::State& state) {
    Scene scene;
    PresentInWindow(state, RecordedScene(scene), scene.display.windowWidth,
                    scene.display.windowHeight);
}
BENCHMARK(BM_OpenGlSubmit)->Unit(benchmark::kMillisecond)->UseRealTime();

// The editor's own frame at its fullest: a 64 x 64 canvas of varied cells with the reference
// tables and the help panel shown over it, made by the editor's frame loop on the headless
// driver, started from the program's folder as duskmarch starts.
struct HeadlessEditor {
    std::shared_ptr<dm::HeadlessDriver> driver =
        std::make_shared<dm::HeadlessDriver>(dm::ReplayScript{}, quietLog);
    std::unique_ptr<dm::EditorState> state;

    HeadlessEditor() {
        fs::current_path(fs::read_symlink("/proc/self/exe").parent_path());
        driver->RunPastEnd();
        dm::SetSystemDriver(driver);
        state = dm::StartEditor({});
        dm::AddCanvas(*state, dm::CanvasFromFile(RandomMap(64, 64, 5), "bench.dtm"));
        state->showtables = true;
        state->showhelp = true;
        dm::RunFrame(*state);
    }
    ~HeadlessEditor() {
        state.reset();
        dm::CloseGraphics();
        dm::SetSystemDriver(nullptr);
    }
    HeadlessEditor(const HeadlessEditor&) = delete;
    HeadlessEditor& operator=(const HeadlessEditor&) = delete;
};

// One whole frame of the loop: input, tools, recording the drawing and handing it over.
void BM_EditorFrame(benchmark::State& state) {
    HeadlessEditor editor;
    for (auto _ : state) {
        dm::RunFrame(*editor.state);
    }
    state.counters["commands"] =
        static_cast<double>(editor.driver->PresentedFrame().commands.size());
}
BENCHMARK(BM_EditorFrame)->Unit(benchmark::kMillisecond);

void BM_EditorSoftwareSubmit(benchmark::State& state) {
    HeadlessEditor editor;
    const dm::FrameList frame = editor.driver->PresentedFrame();
    const std::shared_ptr<dm::TPixmap> window = editor.driver->LastFrame();
    for (auto _ : state) {
        dm::RasterizeFrame(frame, *window);
    }
}
BENCHMARK(BM_EditorSoftwareSubmit)->Unit(benchmark::kMillisecond);

void BM_EditorOpenGlSubmit(benchmark::State& state) {
    dm::FrameList frame;
    dm::Display display;
    {
        HeadlessEditor editor;
        frame = editor.driver->PresentedFrame();
        display = editor.state->display;
    }
    PresentInWindow(state, frame, display.windowWidth, display.windowHeight);
}
BENCHMARK(BM_EditorOpenGlSubmit)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
