#include "files/counting_stream.h"

namespace dm {

int64_t CountingStream::Write(const void* buffer, int64_t count) {
    const int64_t moved = target_.Write(buffer, count);
    if (moved > 0) {
        written_ += moved;
        if (report_) {
            report_(written_);
        }
    }
    return moved;
}

} // namespace dm
