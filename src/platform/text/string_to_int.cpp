#include "platform/text/string_to_int.h"

namespace dm {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The value of c as a digit, or base or more when c is none.
uint32_t DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<uint32_t>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<uint32_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<uint32_t>(c - 'A' + 10);
    }
    return 16;
}

} // namespace

void IntegerReader::Feed(char c) {
    if (stage_ == Stage::Done) {
        return;
    }
    if (stage_ == Stage::Blank && IsBlank(c)) {
        return;
    }
    if (stage_ == Stage::Blank && (c == '+' || c == '-')) {
        negative_ = c == '-';
        stage_ = Stage::Signed;
        return;
    }
    if ((stage_ == Stage::Blank || stage_ == Stage::Signed) && (c == '$' || c == '%')) {
        base_ = c == '$' ? 16 : 2;
        stage_ = Stage::Prefixed;
        return;
    }
    const uint32_t digit = DigitValue(c);
    if (digit >= base_) {
        stage_ = Stage::Done;
        return;
    }
    // Unsigned arithmetic wraps modulo 2^32, which is the overflow rule.
    magnitude_ = magnitude_ * base_ + digit;
    stage_ = Stage::Digits;
}

int32_t IntegerReader::Value() const {
    const uint32_t value = negative_ ? 0u - magnitude_ : magnitude_;
    return static_cast<int32_t>(value);
}

int32_t StringToInt(std::string_view text) {
    IntegerReader reader;
    for (const char c : text) {
        reader.Feed(c);
    }
    return reader.Value();
}

} // namespace dm
