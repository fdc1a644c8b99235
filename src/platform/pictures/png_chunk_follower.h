#pragma once

#include "platform/io/stream.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace dm {

// Follows the chunks of a PNG file through the bytes its decoder reads, so that once the last row
// is decoded the rest of the file can be checked without inflating whatever compressed data
// follows the picture.
class PngChunkFollower {
  public:
    // Bytes of the file after its signature, in the order the decoder reads them.
    void Pass(const uint8_t* data, size_t length);

    // Reads the rest of the file from where the decoder stopped: the rest of the current chunk,
    // then whole chunks up to the closing IEND, and nothing after it. True when that end is
    // reached, every critical chunk read here has its right checksum, and no critical chunk but
    // IDAT and IEND follows the image data. Ancillary chunks are passed over unjudged, as the
    // decoder itself passes over their checksum errors.
    bool Finish(TStream& stream);

  private:
    enum class Part { Header, Data, Checksum };

    void StartChunk();
    bool IsCritical() const { return (header_[4] & 0x20) == 0; }
    bool IsType(const char* type) const;
    bool AllowedAfterImage() const;

    Part part_ = Part::Header;
    std::array<uint8_t, 8> header_{}; // length, then type
    std::array<uint8_t, 4> stored_{}; // the checksum as the file gives it
    size_t filled_ = 0;               // bytes of header_ or stored_ collected so far
    uint32_t left_ = 0;               // data bytes of the current chunk still to come
    uint32_t checksum_ = 0;           // over type and data so far
    bool lengthValid_ = true;
    bool checksumMatched_ = true; // of the last chunk completed
};

} // namespace dm
