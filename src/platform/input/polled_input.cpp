#include "platform/input/polled_input.h"

#include "platform/drivers/system_driver.h"
#include "platform/host.h"
#include "platform/input/key_codes.h"
#include "platform/text/cp437_unicode.h"

#include <array>
#include <cstdint>

namespace dm {

namespace {

constexpr int kKeyCount = InputState::kKeyCount;
constexpr int kQueueSize = InputState::kQueueSize;
constexpr int kButtonCount = InputState::kButtonCount;

InputState& State() {
    return CurrentHost().input;
}

bool ValidKey(int key) {
    return key >= 0 && key < kKeyCount;
}

bool ValidButton(int button) {
    return button >= 0 && button < kButtonCount;
}

void AutoPoll() {
    if (State().autoPoll) {
        PollSystem();
    }
}

void ClearKeys(InputState& state) {
    state.keyStates.fill(0);
    state.keyHits.fill(0);
    state.charPut = 0;
    state.charGet = 0;
}

void ClearMouse(InputState& state) {
    state.mouseStates.fill(0);
    state.mouseHits.fill(0);
    state.mouseZ = 0;
    state.wheelNotches = 0;
}

// A held key's second down (an auto-repeat the host did not mark) adds no hit.
void Press(int& held, int& hits) {
    if (held) {
        return;
    }
    held = 1;
    ++hits;
}

// Characters arrive as Unicode and are queued as the code page 437 codes of the glyphs that show
// them, as the glyph sheet is laid out. ASCII stays as it is, its control codes being the keys
// Backspace, Tab, Enter and Escape. A character that no glyph shows is dropped, and so is one
// whose code would be read as Backspace, Enter or Escape, or as the line break 255.
int TypedGlyph(int character) {
    if (character >= 0 && character < 128) {
        return character;
    }
    const int code = character > 0 ? Cp437CodeOf(static_cast<char32_t>(character)) : -1;
    const bool readAsKey = code == kKeyBackspace || code == kKeyEnter || code == kKeyEscape;
    return readAsKey || code == 255 ? -1 : code;
}

} // namespace

void AttachPolledInput() {
    InputState& state = State();
    const bool autoPoll = state.autoPoll;
    state = InputState{};
    state.autoPoll = autoPoll;
}

void EmitEvent(const Event& event) {
    InputState& state = State();
    switch (event.id) {
    case EventId::KeyDown:
        if (ValidKey(event.data)) {
            Press(state.keyStates[event.data], state.keyHits[event.data]);
        }
        break;
    case EventId::KeyUp:
        if (ValidKey(event.data)) {
            state.keyStates[event.data] = 0;
        }
        break;
    case EventId::KeyChar:
        if (const int glyph = TypedGlyph(event.data);
            glyph > 0 && state.charPut - state.charGet < kQueueSize) {
            state.chars[state.charPut % kQueueSize] = glyph;
            ++state.charPut;
        }
        break;
    case EventId::MouseDown:
        if (ValidButton(event.data)) {
            Press(state.mouseStates[event.data], state.mouseHits[event.data]);
        }
        break;
    case EventId::MouseUp:
        if (ValidButton(event.data)) {
            state.mouseStates[event.data] = 0;
        }
        break;
    case EventId::MouseMove:
        state.mouseX = event.x;
        state.mouseY = event.y;
        break;
    case EventId::MouseWheel:
        state.mouseZ += event.data;
        state.wheelNotches += event.data;
        break;
    case EventId::AppSuspend:
    case EventId::AppResume:
        ClearKeys(state);
        ClearMouse(state);
        state.suspended = event.id == EventId::AppSuspend;
        break;
    case EventId::AppTerminate:
        state.terminateRequest = true;
        break;
    default:
        break;
    }
}

void SetAutoPoll(bool enabled) {
    State().autoPoll = enabled;
}

int TakeKeyHits(int key) {
    AutoPoll();
    if (!ValidKey(key)) {
        return 0;
    }
    const int hits = State().keyHits[key];
    State().keyHits[key] = 0;
    return hits;
}

int IsKeyDown(int key) {
    AutoPoll();
    return ValidKey(key) ? State().keyStates[key] : 0;
}

int NextChar() {
    AutoPoll();
    InputState& state = State();
    if (state.charGet == state.charPut) {
        return 0;
    }
    const int c = state.chars[state.charGet % kQueueSize];
    ++state.charGet;
    return c;
}

void FlushKeyState() {
    PollSystem();
    ClearKeys(State());
}

int TakeMouseHits(int button) {
    AutoPoll();
    if (!ValidButton(button)) {
        return 0;
    }
    const int hits = State().mouseHits[button];
    State().mouseHits[button] = 0;
    return hits;
}

int IsMouseDown(int button) {
    AutoPoll();
    return ValidButton(button) ? State().mouseStates[button] : 0;
}

int MouseXPos() {
    AutoPoll();
    return State().mouseX;
}

int MouseYPos() {
    AutoPoll();
    return State().mouseY;
}

int MouseWheelPos() {
    AutoPoll();
    return State().mouseZ;
}

int TakeWheelNotches() {
    AutoPoll();
    const int notches = State().wheelNotches;
    State().wheelNotches = 0;
    return notches;
}

void FlushMouseState() {
    PollSystem();
    ClearMouse(State());
}

int TakeTerminateRequest() {
    AutoPoll();
    const bool request = State().terminateRequest;
    State().terminateRequest = false;
    return request ? 1 : 0;
}

int IsTerminateRequested() {
    AutoPoll();
    return State().terminateRequest ? 1 : 0;
}

int IsSuspended() {
    AutoPoll();
    return State().suspended ? 1 : 0;
}

} // namespace dm
