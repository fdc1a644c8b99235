#pragma once

#include "platform/drawing/graphics.h"
#include "platform/drivers/headless_driver.h"
#include "platform/drivers/replay_script.h"
#include "platform/host.h"
#include "platform/pictures/pixmap.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <string_view>

namespace dm::test {

// A headless driver running the script, with a window of the given size open on it; everything is
// put back when the object goes.
class HeadlessWindow {
  public:
    HeadlessWindow(int width, int height, std::string_view script = "",
                   const std::string& baseFolder = "/") {
        Expected<ReplayScript> parsed = ParseReplayScript(script, baseFolder);
        EXPECT_TRUE(parsed) << (parsed ? "" : parsed.Why());
        driver_ =
            std::make_shared<HeadlessDriver>(parsed ? std::move(*parsed) : ReplayScript{}, log_);
        SetUpHost(driver_);
        Expected<std::shared_ptr<TGraphics>> opened = OpenGraphics(width, height, 0, 60, 0);
        graphics_ = opened ? std::move(*opened) : nullptr;
        EXPECT_NE(graphics_, nullptr);
    }
    // Leaves alone a host that a newer window has set up.
    ~HeadlessWindow() {
        if (CurrentSystemDriver() == driver_.get()) {
            ResetHost();
        }
    }
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    HeadlessDriver& Driver() { return *driver_; }
    TGraphics& Graphics() { return *graphics_; }
    std::string Log() const { return log_.str(); }

    // Presents what was drawn since the last flip, without pacing, and returns it drawn.
    std::shared_ptr<TPixmap> Present() {
        Flip(0);
        return driver_->LastFrame();
    }

  private:
    std::ostringstream log_;
    std::shared_ptr<HeadlessDriver> driver_;
    std::shared_ptr<TGraphics> graphics_;
};

} // namespace dm::test
