#include "ui/typed_line.h"

#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"

namespace dm {

namespace {

constexpr int kBlinkPeriod = 80;

} // namespace

int TypedLine::Step(bool (*accepts)(int c)) {
    const bool wasShown = cursorShown_;
    cursorShown_ = frame_ % kBlinkPeriod < kBlinkPeriod / 2;
    ++frame_;
    const int c = IsTerminateRequested() != 0 ? kKeyEscape : NextChar();
    if (accepts(c)) {
        text_ += static_cast<char>(c);
    }
    if (c == kKeyBackspace && !text_.empty()) {
        text_.pop_back();
    }
    if (c > 0) {
        cursorShown_ = false;
    }
    changed_ = c > 0 || cursorShown_ != wasShown;
    return c;
}

} // namespace dm
