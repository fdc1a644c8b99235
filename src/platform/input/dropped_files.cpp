#include "platform/input/dropped_files.h"

#include "platform/host.h"

#include <utility>

namespace dm {

namespace {

std::vector<std::string>& Queue() {
    return CurrentHost().droppedFiles;
}

} // namespace

void QueueDroppedFile(std::string path) {
    Queue().push_back(std::move(path));
}

std::vector<std::string> TakeDroppedFiles() {
    return std::exchange(Queue(), {});
}

} // namespace dm
