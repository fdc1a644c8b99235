#include "platform/io/memory_stream.h"

#include <algorithm>
#include <cstddef>
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
    const auto* in = static_cast<const uint8_t*>(buffer);
    const auto start = static_cast<size_t>(pos_);
    const size_t inside = std::min(static_cast<size_t>(count), bytes_.size() - start);
    std::copy_n(in, inside, bytes_.begin() + static_cast<ptrdiff_t>(start));
    // Appending grows the buffer geometrically and copies without clearing first.
    bytes_.insert(bytes_.end(), in + inside, in + count);
    pos_ += count;
    return count;
}

std::vector<uint8_t> TMemoryStream::TakeBytes() {
    std::vector<uint8_t> taken = std::move(bytes_);
    bytes_.clear();
    pos_ = 0;
    return taken;
}

} // namespace dm
