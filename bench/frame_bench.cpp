#include "editor/canvas_commands.h"
#include "editor/editor.h"
#include "editor/editor_state.h"
#include "model/tilemap.h"
#include "platform/drawing/graphics.h"
#include "platform/drawing/software_renderer.h"
#include "platform/drivers/headless_driver.h"
#include "platform/host.h"
#include "platform/sdl/sdl_driver.h"
#include "render/display.h"
#include "render/map_draw.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

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
    std::shared_ptr<dm::tilemap> canvas =
        RandomMap(dm::kCanvasRegion.width, dm::kCanvasRegion.height, 2);
    std::shared_ptr<dm::tilemap> glyphs =
        RandomMap(dm::kGlyphPickerRegion.width, dm::kGlyphPickerRegion.height, 3);
    std::shared_ptr<dm::tilemap> colours =
        RandomMap(dm::kColourPickerRegion.width, dm::kColourPickerRegion.height, 4);

    void Record() {
        dm::Cls();
        dm::Draw(*screen, display, 0, 0, 0, 0, -1, -1);
        dm::Draw(*canvas, display, dm::kCanvasRegion.left, dm::kCanvasRegion.top, 0, 0,
                 dm::kCanvasRegion.width, dm::kCanvasRegion.height);
        dm::Draw(*glyphs, display, dm::kGlyphPickerRegion.left, dm::kGlyphPickerRegion.top, 0, 0,
                 -1, -1);
        dm::Draw(*colours, display, dm::kColourPickerRegion.left, dm::kColourPickerRegion.top, 0, 0,
                 -1, -1);
    }
};

std::ostringstream quietLog;

// The scene's window on the headless driver, which records what is drawn.
void OpenHeadless(const Scene& scene) {
    dm::SetUpHost(std::make_shared<dm::HeadlessDriver>(dm::ReplayScript{}, quietLog));
    // The headless driver opens a window of any scene's size.
    static_cast<void>(
        dm::OpenGraphics(scene.display.windowWidth, scene.display.windowHeight, 0, 60, 0));
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
                                      dm::kPixelFormatRGBA8888, 4);
    for (auto _ : state) {
        dm::RasterizeFrame(frame, *target);
    }
}
BENCHMARK(BM_SoftwareSubmit)->Unit(benchmark::kMillisecond);

// The driver of every benchmark that presents in a real window: SDL's X11 video does not always
// start again in the same process. Null, with the benchmark skipped, without a display (run under
// xvfb-run) or when the window cannot be opened on the path asked for.
std::shared_ptr<dm::SdlDriver> OpenWindow(benchmark::State& state, dm::RendererRequest request,
                                          int width, int height) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no display: run under xvfb-run");
        return nullptr;
    }
    static const auto driver = std::make_shared<dm::SdlDriver>();
    dm::SetUpHost(driver);
    driver->RequestRenderer(request);
    if (const auto opened = dm::OpenGraphics(width, height, 0, 60, 0); !opened) {
        state.SkipWithError(opened.Why().c_str());
        return nullptr;
    }
    return driver;
}

void CloseWindow() {
    dm::ResetHost();
}

// Presents the frame in a real window without pacing, so that its rate is the frames per second
// the path manages. It alternates with a copy whose clear colour is one step off, so that every
// present draws the whole frame again instead of finding it unchanged.
void PresentInWindow(benchmark::State& state, const dm::FrameList& frame, int width, int height,
                     dm::RendererRequest request = dm::RendererRequest::OpenGl) {
    const std::shared_ptr<dm::SdlDriver> driver = OpenWindow(state, request, width, height);
    if (!driver) {
        return;
    }
    dm::FrameList offByOne = frame;
    offByOne.commands.front().blue ^= 1;
    bool odd = false;
    for (auto _ : state) {
        driver->Present(odd ? offByOne : frame, 0);
        odd = !odd;
    }
    state.counters["draw_calls"] = driver->DrawCalls();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    CloseWindow();
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
        dm::SetUpHost(driver);
        state = dm::StartEditor({});
        dm::AddCanvas(*state, dm::CanvasFromFile(RandomMap(64, 64, 5), "bench.dtm"));
        state->showtables = true;
        state->showhelp = true;
        dm::RunFrame(*state);
    }
    ~HeadlessEditor() {
        state.reset();
        dm::ResetHost();
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

// The same frame drawn whole by the software rasteriser and shown through SDL.
void BM_EditorSoftwarePresent(benchmark::State& state) {
    dm::FrameList frame;
    dm::Display display;
    {
        HeadlessEditor editor;
        frame = editor.driver->PresentedFrame();
        display = editor.state->display;
    }
    PresentInWindow(state, frame, display.windowWidth, display.windowHeight,
                    dm::RendererRequest::Software);
}
BENCHMARK(BM_EditorSoftwarePresent)->Unit(benchmark::kMillisecond)->UseRealTime();

// The editor's frames while a stroke is drawn across a 64 x 64 canvas: the left button held and
// the mouse moving one cell down and to the right a frame, so that each frame changes one cell of
// the canvas and the cursor's place on the status line. Recorded on the headless driver.
struct Stroke {
    static constexpr int kCells = 64;
    std::shared_ptr<dm::HeadlessDriver> driver;
    std::unique_ptr<dm::EditorState> state;
    std::vector<dm::FrameList> frames;

    Stroke() {
        dm::ReplayScript script;
        for (int i = 0; i < kCells; ++i) {
            // The centre of a cell of the shipped 8 x 14 tileset.
            const int x = (dm::kCanvasRegion.left + i) * 8 + 4,
                      y = (dm::kCanvasRegion.top + i) * 14 + 7;
            script.steps.push_back({i + 1, dm::ReplayAction::Move, x, y, ""});
            if (i == 0) {
                script.steps.push_back({1, dm::ReplayAction::ButtonDown, 1, 0, ""});
            }
        }
        driver = std::make_shared<dm::HeadlessDriver>(script, quietLog);
        fs::current_path(fs::read_symlink("/proc/self/exe").parent_path());
        driver->RunPastEnd();
        dm::SetUpHost(driver);
        state = dm::StartEditor({});
        dm::AddCanvas(*state, dm::CanvasFromFile(dm::tilemap::Create(kCells, kCells), "bench.dtm"));
        dm::RunFrame(*state);
        for (int i = 0; i < kCells; ++i) {
            dm::RunFrame(*state);
            frames.push_back(driver->PresentedFrame());
        }
    }
    ~Stroke() {
        state.reset();
        dm::ResetHost();
    }
    Stroke(const Stroke&) = delete;
    Stroke& operator=(const Stroke&) = delete;
};

// The time to present each frame of the stroke, in order; the return from the stroke's end to its
// start, which changes every cell of it at once, is presented between the timed frames.
void PresentStroke(benchmark::State& state, dm::RendererRequest request) {
    Stroke stroke; // its images must live while its frames are drawn
    const int width = stroke.state->display.windowWidth;
    const int height = stroke.state->display.windowHeight;
    const std::vector<dm::FrameList> frames = stroke.frames;
    const std::shared_ptr<dm::SdlDriver> driver = OpenWindow(state, request, width, height);
    if (!driver) {
        return;
    }
    size_t next = 0;
    double pixels = 0;
    for (auto _ : state) {
        if (next == 0) {
            driver->Present(frames[0], 0);
            next = 1;
        }
        const auto start = std::chrono::steady_clock::now();
        driver->Present(frames[next], 0);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        pixels += static_cast<double>(driver->PixelsRedrawn());
        next = (next + 1) % frames.size();
    }
    state.counters["pixels_redrawn"] = pixels / static_cast<double>(state.iterations());
    CloseWindow();
}

void BM_StrokeOpenGl(benchmark::State& state) {
    PresentStroke(state, dm::RendererRequest::OpenGl);
}
BENCHMARK(BM_StrokeOpenGl)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_StrokeSoftware(benchmark::State& state) {
    PresentStroke(state, dm::RendererRequest::Software);
}
BENCHMARK(BM_StrokeSoftware)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
