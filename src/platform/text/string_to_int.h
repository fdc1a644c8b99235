#pragma once

#include <cstdint>
#include <string_view>

namespace dm {

// Reads an integer one character at a time: leading white space, an optional "+" or "-", an
// optional "$" (hexadecimal) or "%" (binary), then digits up to the first other character, which
// ends the number. No digit gives 0; overflow wraps in 32 bits. Feeding characters one by one
// gives at every step the value of everything fed so far.
class IntegerReader {
  public:
    void Feed(char c);
    int32_t Value() const;

  private:
    enum class Stage { Blank, Signed, Prefixed, Digits, Done };

    Stage stage_ = Stage::Blank;
    uint32_t base_ = 10;
    uint32_t magnitude_ = 0;
    bool negative_ = false;
};

// The integer value of a whole text, as IntegerReader reads it.
int32_t StringToInt(std::string_view text);

} // namespace dm
