#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace dm::test {

// Builds the bytes of a PSF1 font: 256 glyphs of the given height, row y of glyph g holding
// g x (y + 1), so glyph 0 alone is blank, and a Unicode table entry per glyph.
class PsfTestFont {
  public:
    explicit PsfTestFont(int height, uint8_t mode = 0x02) : height_(height), mode_(mode) {
        entries_.resize(256);
    }

    // The values listed for a glyph, 0xFFFE included where a sequence part begins.
    void Name(int glyph, std::initializer_list<uint16_t> values) {
        entries_[glyph].insert(entries_[glyph].end(), values);
    }

    static uint8_t Row(int glyph, int y) { return static_cast<uint8_t>(glyph * (y + 1)); }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> bytes = {0x36, 0x04, mode_, static_cast<uint8_t>(height_)};
        for (int glyph = 0; glyph < 256; ++glyph) {
            for (int y = 0; y < height_; ++y) {
                bytes.push_back(Row(glyph, y));
            }
        }
        for (const auto& values : entries_) {
            for (uint16_t value : values) {
                bytes.push_back(static_cast<uint8_t>(value));
                bytes.push_back(static_cast<uint8_t>(value >> 8));
            }
            bytes.push_back(0xFF);
            bytes.push_back(0xFF);
        }
        return bytes;
    }

  private:
    int height_;
    uint8_t mode_;
    std::vector<std::vector<uint16_t>> entries_;
};

} // namespace dm::test
