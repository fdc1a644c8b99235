#include "progress_line.h"

#include "files/work_progress.h"

#include <iostream>

namespace dm::dtmtool {

void ProgressLine::Update(int thousandths) {
    latestPercent_ = thousandths * 100 / kProgressTotal;
    const auto now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) ||
        (shown_ &&
         (latestPercent_ == shownPercent_ || now - lastShown_ < std::chrono::milliseconds(100)))) {
        return;
    }
    Show();
    lastShown_ = now;
}

void ProgressLine::Finish() {
    if (!shown_) {
        return;
    }
    if (latestPercent_ != shownPercent_) {
        Show();
    }
    std::cerr << std::endl;
}

void ProgressLine::Show() {
    std::cerr << "\r" << label_ << ": " << latestPercent_ << "%" << std::flush;
    shown_ = true;
    shownPercent_ = latestPercent_;
}

} // namespace dm::dtmtool
