#pragma once

#include <cstdint>
#include <string>

namespace dm {

// A line being typed in its own frame loop: one typed character taken per frame, Backspace taking
// the last one back, and a cursor "_" that blinks 40 frames on and 40 off and hides in a frame in
// which a character arrives.
class TypedLine {
  public:
    explicit TypedLine(std::string text = "") : text_(std::move(text)) {}

    // Starts a frame: takes the next typed character (0 when none) and adds it when accepts says
    // so. Returns the character; Escape while the window asks to close, so that the line is left
    // as Escape leaves it and the request stays for the program to answer.
    int Step(bool (*accepts)(int c));

    const std::string& Text() const { return text_; }
    std::string Cursor() const { return cursorShown_ ? "_" : ""; }
    // Whether the line looks different from the frame before.
    bool Changed() const { return changed_; }

  private:
    std::string text_;
    bool cursorShown_ = false;
    int64_t frame_ = 0;
    bool changed_ = false;
};

} // namespace dm
