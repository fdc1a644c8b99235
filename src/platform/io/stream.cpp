#include "platform/io/stream.h"

#include <algorithm>
#include <array>
#include <bit>

namespace dm {

namespace {

constexpr int64_t kSkipStep = 1024;
// ReadString grows its result in steps so that a corrupt, huge count fails at the end of the
// data instead of reserving the whole count up front.
constexpr int64_t kStringStep = 64 * 1024;

template <typename T>
T ReadLittleEndian(TStream& stream) {
    std::array<uint8_t, sizeof(T)> bytes{};
    stream.ReadBytes(bytes.data(), sizeof(T));
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) {
        value |= static_cast<T>(static_cast<T>(bytes[i]) << (8 * i));
    }
    return value;
}

template <typename T>
void WriteLittleEndian(TStream& stream, T value) {
    std::array<uint8_t, sizeof(T)> bytes{};
    for (size_t i = 0; i < sizeof(T); ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    stream.WriteBytes(bytes.data(), sizeof(T));
}

} // namespace

void TStream::ReadBytes(void* buffer, int64_t count) {
    if (count < 0) {
        throw TStreamReadException();
    }
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const int64_t moved = Read(out, count);
        if (moved <= 0) {
            throw TStreamReadException();
        }
        out += moved;
        count -= moved;
    }
}

void TStream::WriteBytes(const void* buffer, int64_t count) {
    if (count < 0) {
        throw TStreamWriteException();
    }
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        const int64_t moved = Write(in, count);
        if (moved <= 0) {
            throw TStreamWriteException();
        }
        in += moved;
        count -= moved;
    }
}

void TStream::SkipBytes(int64_t count) {
    if (count < 0) {
        throw TStreamReadException();
    }
    std::array<uint8_t, kSkipStep> scratch{};
    while (count > 0) {
        const int64_t step = std::min(count, kSkipStep);
        ReadBytes(scratch.data(), step);
        count -= step;
    }
}

int TStream::ReadByte() {
    return ReadLittleEndian<uint8_t>(*this);
}

void TStream::WriteByte(int value) {
    WriteLittleEndian(*this, static_cast<uint8_t>(value));
}

int TStream::ReadShort() {
    return ReadLittleEndian<uint16_t>(*this);
}

void TStream::WriteShort(int value) {
    WriteLittleEndian(*this, static_cast<uint16_t>(value));
}

int32_t TStream::ReadInt() {
    return static_cast<int32_t>(ReadLittleEndian<uint32_t>(*this));
}

void TStream::WriteInt(int32_t value) {
    WriteLittleEndian(*this, static_cast<uint32_t>(value));
}

int64_t TStream::ReadLong() {
    return static_cast<int64_t>(ReadLittleEndian<uint64_t>(*this));
}

void TStream::WriteLong(int64_t value) {
    WriteLittleEndian(*this, static_cast<uint64_t>(value));
}

float TStream::ReadFloat() {
    return std::bit_cast<float>(ReadLittleEndian<uint32_t>(*this));
}

void TStream::WriteFloat(float value) {
    WriteLittleEndian(*this, std::bit_cast<uint32_t>(value));
}

double TStream::ReadDouble() {
    return std::bit_cast<double>(ReadLittleEndian<uint64_t>(*this));
}

void TStream::WriteDouble(double value) {
    WriteLittleEndian(*this, std::bit_cast<uint64_t>(value));
}

std::string TStream::ReadLine() {
    std::string line;
    char byte = 0;
    while (Read(&byte, 1) == 1) {
        if (byte == '\n' || byte == '\0') {
            break;
        }
        if (byte != '\r') {
            line.push_back(byte);
        }
    }
    return line;
}

bool TStream::WriteLine(std::string_view text) {
    std::string bytes(text);
    bytes += "\r\n";
    const char* in = bytes.data();
    int64_t left = static_cast<int64_t>(bytes.size());
    while (left > 0) {
        const int64_t moved = Write(in, left);
        if (moved <= 0) {
            return false;
        }
        in += moved;
        left -= moved;
    }
    return true;
}

std::string TStream::ReadString(int64_t count) {
    if (count < 0) {
        throw TStreamReadException();
    }
    std::string text;
    while (count > 0) {
        const int64_t step = std::min(count, kStringStep);
        const size_t start = text.size();
        text.resize(start + static_cast<size_t>(step));
        ReadBytes(text.data() + start, step);
        count -= step;
    }
    return text;
}

void TStream::WriteString(std::string_view text) {
    WriteBytes(text.data(), static_cast<int64_t>(text.size()));
}

} // namespace dm
