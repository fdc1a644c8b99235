#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dm {

class TStreamException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TStreamReadException : public TStreamException {
  public:
    TStreamReadException() : TStreamException("Error reading from stream") {}
};

class TStreamWriteException : public TStreamException {
  public:
    TStreamWriteException() : TStreamException("Error writing to stream") {}
};

// An abstract byte device. Read and Write never throw: they report how many bytes moved.
class TIO {
  public:
    virtual ~TIO() = default;

    virtual bool Eof() { return Pos() == Size(); }
    // -1 when the device cannot report its position.
    virtual int64_t Pos() = 0;
    virtual int64_t Size() = 0;
    // Returns the new position, or -1 when the device cannot seek there.
    virtual int64_t Seek(int64_t pos) = 0;
    virtual void Flush() {}
    virtual void Close() {}
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
};

// Typed reads and writes over a byte device. Every multi-byte value is little-endian whatever
// the host's byte order; running out of bytes or failing to write throws.
class TStream : public TIO {
  public:
    virtual void ReadBytes(void* buffer, int64_t count);
    virtual void WriteBytes(const void* buffer, int64_t count);
    virtual void SkipBytes(int64_t count);

    virtual int ReadByte();
    virtual void WriteByte(int value);
    virtual int ReadShort();
    virtual void WriteShort(int value);
    virtual int32_t ReadInt();
    virtual void WriteInt(int32_t value);
    virtual int64_t ReadLong();
    virtual void WriteLong(int64_t value);
    virtual float ReadFloat();
    virtual void WriteFloat(float value);
    virtual double ReadDouble();
    virtual void WriteDouble(double value);

    // Stops at end of file, LF or NUL (none of them kept); drops every CR. Never throws.
    virtual std::string ReadLine();
    // The text then CR LF; true when every byte was written.
    virtual bool WriteLine(std::string_view text);
    virtual std::string ReadString(int64_t count);
    virtual void WriteString(std::string_view text);
};

} // namespace dm
