#pragma once

#include <cstddef>
#include <cstdint>

namespace dm::fuzz {

// libpng and zlib are not instrumented, so coverage alone cannot tell a palette picture from a
// grey one, or a picture with a text chunk from one without: the fuzzer would keep only one of
// them. These counters, which libFuzzer reads as extra features, light one slot per picture kind
// (colour type, depth and interlacing from the header, and whether it loaded) and one per chunk
// type and position, so that every kind and chunk layout it reaches stays in the corpus.
inline constexpr size_t kPngFeatureSlots = 1024;
__attribute__((
    section("__libfuzzer_extra_counters"))) inline uint8_t pngFeatureCounters[kPngFeatureSlots];

inline uint32_t BigEndian(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
           uint32_t{bytes[3]};
}

// Records the kind of the PNG picture in data and whether it loaded.
inline void RecordPngFeatures(const uint8_t* data, size_t size, bool loaded) {
    constexpr size_t kSignature = 8;
    constexpr size_t kHeaderEnd = 29; // signature, IHDR length and type, and its first 13 bytes
    constexpr size_t kChunkSlots = kPngFeatureSlots / 2;
    constexpr size_t kMostChunks = 16;
    if (size >= kHeaderEnd) {
        const uint32_t colorType = data[25] & 7;
        const uint32_t bitDepth = data[24] & 31;
        const uint32_t interlaced = data[28] & 1;
        const uint32_t kind = ((colorType * 32 + bitDepth) * 2 + interlaced) * 2 + (loaded ? 1 : 0);
        ++pngFeatureCounters[kChunkSlots + kind % kChunkSlots];
    }
    size_t at = kSignature;
    for (size_t chunk = 0; chunk < kMostChunks && at + 8 <= size; ++chunk) {
        const uint32_t type = BigEndian(data + at + 4);
        ++pngFeatureCounters[(type * 2654435761u >> 16 ^ chunk) % kChunkSlots];
        const uint64_t next = at + 12 + uint64_t{BigEndian(data + at)};
        if (next > size)
            break;
        at = static_cast<size_t>(next);
    }
}

} // namespace dm::fuzz
