#pragma once

#include "editor/editor_state.h"

#include <new>
#include <string_view>
#include <utility>

namespace dm {

// Says in an "Error!" popup that there was "Not enough memory to " + task + ".".
void ShowLackOfMemory(EditorState& state, std::string_view task);

// Runs command(state), one command of the editor. When memory runs out in it, the command stops
// where it was, the user is told (ShowLackOfMemory) and the editor carries on: commands allocate
// before they change a canvas, or put it back, so every canvas stays as it was.
template <class Command>
void RunReportingMemory(EditorState& state, std::string_view task, Command&& command) {
    try {
        std::forward<Command>(command)(state);
    } catch (const std::bad_alloc&) {
        ShowLackOfMemory(state, task);
    }
}

} // namespace dm
