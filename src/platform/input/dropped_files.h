#pragma once

#include <string>
#include <vector>

namespace dm {

// Files dropped on the window wait here, in the order dropped, until the editor's frame takes
// them, so a drop made while a popup or requester is up is opened afterwards. The system driver
// queues them on the thread that polls it.
void QueueDroppedFile(std::string path);

// The paths dropped since the last call, oldest first; the queue is then empty.
std::vector<std::string> TakeDroppedFiles();

} // namespace dm
