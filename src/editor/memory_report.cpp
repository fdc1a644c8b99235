#include "editor/memory_report.h"

#include "ui/popup.h"

#include <string>

namespace dm {

void ShowLackOfMemory(EditorState& state, std::string_view task) {
    ShowMessage(state.display, "Error!", "Not enough memory to " + std::string(task) + ".");
}

} // namespace dm
