#pragma once

#include <chrono>
#include <string>

namespace dm::dtmtool {

// Shows on one line of standard error how far a job that takes over a second has come, as
// "LABEL: N%", redrawn at most every 100 ms.
class ProgressLine {
  public:
    explicit ProgressLine(std::string label) : label_(std::move(label)) {}

    // The job's figure in thousandths of the whole.
    void Update(int thousandths);

    // Brings a shown line up to the last figure and ends it.
    void Finish();

  private:
    using Clock = std::chrono::steady_clock;

    void Show();

    std::string label_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_;
    bool shown_ = false;
    int latestPercent_ = 0;
    int shownPercent_ = 0;
};

} // namespace dm::dtmtool
