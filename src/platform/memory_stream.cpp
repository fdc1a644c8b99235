#include "platform/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace dm {

int64_t TMemoryStream::Seek(int64_t pos) {
    if (pos < 0 || pos > Size()) {
        return -1;
    }
    pos_ = pos;
    return pos_;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t moved = std::clamp<int64_t>(count, 0, Size() - pos_);
    if (moved > 0) {
        std::memcpy(buffer, bytes_.data() + pos_, static_cast<size_t>(moved));
        pos_ += moved;
    }
    return moved;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) {
        return 0;
    }
    const int64_t end = pos_ + count;
    if (end > Size()) {
        bytes_.resize(static_cast<size_t>(end));
    }
    std::memcpy(bytes_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ = end;
    return count;
}

std::vector<uint8_t> TMemoryStream::TakeBytes() {
    std::vector<uint8_t> taken = std::move(bytes_);
    bytes_.clear();
    pos_ = 0;
    return taken;
}

} // namespace dm
