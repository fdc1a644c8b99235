#pragma once

#include "editor/editor_state.h"
#include "files/work_progress.h"

#include <functional>
#include <string>

namespace dm {

// Runs work away from the editor's frame and waits for it. While it takes longer than a quarter of
// a second the window is redrawn at least every quarter second with "title: N%" on the typing
// message's row, removed when the work is done, so the window keeps answering the desktop and
// the user sees how far it has come. What work throws reaches the caller. When no thread can be
// started for it, the work runs on the caller's thread without progress.
void RunWithProgress(EditorState& state, const std::string& title,
                     const std::function<void(const WorkProgress& progress)>& work);

} // namespace dm
