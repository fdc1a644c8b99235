#include "platform/pictures/png_chunk_follower.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace dm {

namespace {

constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr size_t kReadStep = 64 * 1024;

uint32_t BigEndian(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
           uint32_t{bytes[3]};
}

bool IsLetter(uint8_t c) {
    const int lower = c | 0x20;
    return lower >= 'a' && lower <= 'z';
}

} // namespace

void PngChunkFollower::Pass(const uint8_t* data, size_t length) {
    while (length > 0) {
        size_t take = 0;
        switch (part_) {
        case Part::Header:
            take = std::min(length, header_.size() - filled_);
            std::memcpy(header_.data() + filled_, data, take);
            filled_ += take;
            if (filled_ == header_.size()) {
                StartChunk();
            }
            break;
        case Part::Data:
            take = std::min<size_t>(length, left_);
            checksum_ = static_cast<uint32_t>(crc32(checksum_, data, static_cast<uInt>(take)));
            left_ -= static_cast<uint32_t>(take);
            if (left_ == 0) {
                part_ = Part::Checksum;
            }
            break;
        case Part::Checksum:
            take = std::min(length, stored_.size() - filled_);
            std::memcpy(stored_.data() + filled_, data, take);
            filled_ += take;
            if (filled_ == stored_.size()) {
                checksumMatched_ = BigEndian(stored_.data()) == checksum_;
                part_ = Part::Header;
                filled_ = 0;
            }
            break;
        }
        data += take;
        length -= take;
    }
}

void PngChunkFollower::StartChunk() {
    left_ = BigEndian(header_.data());
    lengthValid_ =
        left_ <= kMaxChunkLength && std::all_of(header_.begin() + 4, header_.end(), IsLetter);
    checksum_ = static_cast<uint32_t>(crc32(0, header_.data() + 4, 4));
    filled_ = 0;
    part_ = left_ == 0 ? Part::Checksum : Part::Data;
}

bool PngChunkFollower::IsType(const char* type) const {
    return std::memcmp(header_.data() + 4, type, 4) == 0;
}

bool PngChunkFollower::AllowedAfterImage() const {
    return lengthValid_ && (!IsCritical() || IsType("IDAT") || IsType("IEND"));
}

bool PngChunkFollower::Finish(TStream& stream) {
    if (part_ != Part::Header && !AllowedAfterImage()) {
        return false;
    }
    std::vector<uint8_t> buffer(kReadStep);
    while (true) {
        const Part part = part_;
        size_t wanted = 0;
        switch (part) {
        case Part::Header:
            wanted = header_.size() - filled_;
            break;
        case Part::Data:
            wanted = std::min<size_t>(left_, kReadStep);
            break;
        case Part::Checksum:
            wanted = stored_.size() - filled_;
            break;
        }
        const int64_t got = stream.Read(buffer.data(), static_cast<int64_t>(wanted));
        if (got <= 0) {
            return false;
        }
        Pass(buffer.data(), static_cast<size_t>(got));
        if (part == Part::Header && part_ != Part::Header && !AllowedAfterImage()) {
            return false;
        }
        if (part == Part::Checksum && part_ == Part::Header) {
            if (IsCritical() && !checksumMatched_) {
                return false;
            }
            if (IsType("IEND")) {
                return true;
            }
        }
    }
}

} // namespace dm
