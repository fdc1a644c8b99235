// The editor's own frame at its fullest: a 64 x 64 canvas of varied cells with the reference tables
// and the help panel shown over it, made by the editor's frame loop on the headless driver, then
// drawn by the software rasteriser and submitted to OpenGL.

#include "editor/canvas_commands.h"
#include "editor/editor.h"
#include "platform/headless_driver.h"
#include "platform/sdl/sdl_driver.h"
#include "platform/software_renderer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

namespace {

std::ostringstream quietLog;

struct HeadlessEditor {
    std::shared_ptr<dm::HeadlessDriver> driver;
    std::unique_ptr<dm::EditorState> state;
};

// The editor started from the program's folder, as duskmarch starts, with the busiest screen.
HeadlessEditor FullScreenEditor() {
    std::filesystem::current_path(std::filesystem::read_symlink("/proc/self/exe").parent_path());
    HeadlessEditor editor;
    editor.driver = std::make_shared<dm::HeadlessDriver>(dm::ReplayScript{}, quietLog);
    editor.driver->RunPastEnd();
    dm::SetSystemDriver(editor.driver);
    editor.state = dm::StartEditor("");
    auto map = dm::tilemap::Create(64, 64);
    std::mt19937 random(5);
    for (uint8_t& byte : map->tmap) {
        byte = static_cast<uint8_t>(random() % 255);
    }
    dm::AddCanvas(*editor.state, dm::CanvasFromFile(map, "bench.dtm"));
    editor.state->showtables = true;
    editor.state->showhelp = true;
    dm::RunFrame(*editor.state);
    return editor;
}

void StopEditor(HeadlessEditor& editor) {
    editor.state.reset();
    dm::CloseGraphics();
    dm::SetSystemDriver(nullptr);
}

// One whole frame of the loop: input, tools, recording the drawing and handing it over.
void BM_EditorFrame(benchmark::State& state) {
    HeadlessEditor editor = FullScreenEditor();
    for (auto _ : state) {
        dm::RunFrame(*editor.state);
    }
    state.counters["commands"] =
        static_cast<double>(editor.driver->PresentedFrame().commands.size());
    StopEditor(editor);
}
BENCHMARK(BM_EditorFrame)->Unit(benchmark::kMillisecond);

void BM_EditorSoftwareSubmit(benchmark::State& state) {
    HeadlessEditor editor = FullScreenEditor();
    const dm::FrameList frame = editor.driver->PresentedFrame();
    const std::shared_ptr<dm::TPixmap> window = editor.driver->LastFrame();
    for (auto _ : state) {
        dm::RasterizeFrame(frame, *window);
    }
    StopEditor(editor);
}
BENCHMARK(BM_EditorSoftwareSubmit)->Unit(benchmark::kMillisecond);

// Needs a display (run under xvfb-run); skipped without one. Frames are presented without pacing.
void BM_EditorOpenGlSubmit(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    HeadlessEditor editor = FullScreenEditor();
    const dm::FrameList frame = editor.driver->PresentedFrame();
    const dm::Display display = editor.state->display;
    StopEditor(editor);
    auto driver = std::make_shared<dm::SdlDriver>();
    dm::SetSystemDriver(driver);
    std::string whyNot;
    if (!dm::OpenGraphics(display.windowWidth, display.windowHeight, 0, 60, 0, &whyNot)) {
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
BENCHMARK(BM_EditorOpenGlSubmit)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
