#pragma once

#include "platform/stream.h"

#include <cstdint>
#include <functional>

namespace dm {

// Passes every operation on to another stream and reports the running total of bytes written,
// so that a long write can show its progress.
class CountingStream : public TStream {
  public:
    using Report = std::function<void(int64_t bytesWritten)>;

    CountingStream(TStream& target, Report report) : target_(target), report_(std::move(report)) {}

    bool Eof() override { return target_.Eof(); }
    int64_t Pos() override { return target_.Pos(); }
    int64_t Size() override { return target_.Size(); }
    int64_t Seek(int64_t pos) override { return target_.Seek(pos); }
    void Flush() override { target_.Flush(); }
    void Close() override { target_.Close(); }
    int64_t Read(void* buffer, int64_t count) override { return target_.Read(buffer, count); }
    int64_t Write(const void* buffer, int64_t count) override;

  private:
    TStream& target_;
    Report report_;
    int64_t written_ = 0;
};

} // namespace dm
