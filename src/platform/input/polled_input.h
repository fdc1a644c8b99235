#pragma once

#include "platform/input/input_event.h"

namespace dm {

// The keyboard and mouse as the program reads them: by polling, never as callbacks. Hits count
// presses since the count was last taken, so a press between two queries is seen exactly once.
// Every query except the flushes first lets the system driver poll, unless auto-poll is off.

// Clears all input state and starts taking events; the window calls it when it opens.
void AttachPolledInput();

// The hook the system driver feeds with each event it translates.
void EmitEvent(const Event& event);

// Polling before every query is on by default.
void SetAutoPoll(bool enabled);

int TakeKeyHits(int key);
int IsKeyDown(int key);
// The oldest typed character, removed from the queue; 0 when none is waiting. Characters are
// typed as Unicode and queued as the code page 437 codes of their glyphs; those without a glyph
// are dropped.
int NextChar();
// Polls, then forgets every key state, hit and queued character.
void FlushKeyState();

int TakeMouseHits(int button);
int IsMouseDown(int button);
int MouseXPos();
int MouseYPos();
int MouseWheelPos();
// The wheel notches turned since the last call, positive away from the user. Unlike the wheel
// position they are never taken twice, and flushes and focus changes forget them too.
int TakeWheelNotches();
// Polls, then forgets every button state and hit, and sets the wheel position to 0.
void FlushMouseState();

// Whether the window asked to close since the last call.
int TakeTerminateRequest();
// Whether a close request is waiting, leaving it for TakeTerminateRequest.
int IsTerminateRequested();
int IsSuspended();

} // namespace dm
