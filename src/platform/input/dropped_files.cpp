#include "platform/input/dropped_files.h"

#include <utility>

namespace dm {

namespace {

std::vector<std::string>& Queue() {
    static std::vector<std::string> queue;
    return queue;
}

} // namespace

void QueueDroppedFile(std::string path) {
    Queue().push_back(std::move(path));
}

std::vector<std::string> TakeDroppedFiles() {
    return std::exchange(Queue(), {});
}

} // namespace dm
