#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/io/stream.h"

namespace dm {

// A stream over bytes held in memory; writes grow the buffer.
class TMemoryStream : public TStream {
  public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    int64_t Pos() override { return pos_; }
    int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
    // Positions from 0 to Size() are accepted; anything else leaves the position alone and
    // gives -1.
    int64_t Seek(int64_t pos) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    // Moves the bytes out, leaving the stream empty at position 0.
    std::vector<uint8_t> TakeBytes();

  private:
    std::vector<uint8_t> bytes_;
    int64_t pos_ = 0;
};

} // namespace dm
