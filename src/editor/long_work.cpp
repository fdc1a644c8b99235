#include "editor/long_work.h"

#include "editor/editor.h"
#include "platform/drawing/graphics.h"
#include "platform/drivers/system_driver.h"
#include "ui/interface_text.h"

#include <atomic>
#include <chrono>
#include <future>

namespace dm {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kQuietTime = std::chrono::milliseconds(250);
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
constexpr auto kPollEvery = std::chrono::milliseconds(20);

// The progress line: the same length whatever the figure, so hiding it covers it whole.
std::string ProgressLine(const std::string& title, int thousandths) {
    const int percent = thousandths * 100 / kProgressTotal;
    std::string figure = std::to_string(percent) + "%";
    figure.insert(0, 4 - figure.size(), ' ');
    return title + ": " + figure;
}

void ShowProgress(EditorState& state, const std::string& line) {
    WriteText(*state.screenmap, kMessageLine.x, kMessageLine.y, line, 5, 9);
    Cls();
    DrawEditorScreen(state);
    FlipInterim();
}

} // namespace

void RunWithProgress(EditorState& state, const std::string& title,
                     const std::function<void(const WorkProgress& progress)>& work) {
    std::atomic<int> done{0};
    // When no thread can be started (memory is short), the work runs here, in get() below.
    std::future<void> running =
        std::async(std::launch::async | std::launch::deferred,
                   [&work, &done] { work([&done](int thousandths) { done = thousandths; }); });
    const Clock::time_point start = Clock::now();
    Clock::time_point shown{};
    bool showing = false;
    while (running.wait_for(kPollEvery) == std::future_status::timeout) {
        PollSystem();
        const Clock::time_point now = Clock::now();
        if (now - start < kQuietTime || (showing && now - shown < kRedrawEvery)) {
            continue;
        }
        if (!showing) {
            if (SystemDriver* driver = CurrentSystemDriver()) {
                driver->NoteProgress(title);
            }
        }
        ShowProgress(state, ProgressLine(title, done));
        showing = true;
        shown = now;
    }
    if (showing) {
        WriteText(*state.screenmap, kMessageLine.x, kMessageLine.y, ProgressLine(title, 0), 9, 9);
    }
    running.get();
}

} // namespace dm
