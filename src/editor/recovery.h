#pragma once

#include "editor/editor_state.h"

#include <string>

namespace dm {

// How long the maps the user chose not to recover are kept in the discarded folder.
inline constexpr int kDiscardedDays = 7;

// Offers the autosaves of earlier sessions whose editor is gone, then starts autosaving this
// session's canvases at the configured interval into a folder of its own under recoveryFolder.
//
// Files that are not recovery files, or are cut short or damaged, are each refused in an "Error!"
// popup and moved to the refused folder beside. When whole ones remain the user is asked
// "Recover N unsaved maps from an earlier session?": Yes opens them as unsaved canvases under
// their names and files, as many as the canvas limit allows (the rest stay for the next start);
// No moves them to the discarded folder, which forgets files after kDiscardedDays.
void StartRecovery(EditorState& state, const std::string& recoveryFolder);

} // namespace dm
