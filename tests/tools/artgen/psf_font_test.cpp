#include "psf_font.h"

#include "psf_test_font.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace dm {
namespace {

using test::PsfTestFont;

TEST(PsfFont, MapsEachCharacterToTheFirstGlyphNamingIt) {
    PsfTestFont source(kGlyphHeight);
    source.Name(65, {0x0041, 0x0391});
    source.Name(66, {0x0041, 0x0042});
    source.Name(67, {0x00C7, 0xFFFE, 0x0043, 0x0327}); // C with a cedilla as a sequence
    std::string error;
    const auto font = ParsePsfFont(source.Bytes(), error);
    ASSERT_TRUE(font) << error;
    EXPECT_EQ(font->height, kGlyphHeight);
    EXPECT_EQ(font->glyphCount, 256);
    EXPECT_EQ(font->glyphOfCharacter.at(0x0041), 65);
    EXPECT_EQ(font->glyphOfCharacter.at(0x0391), 65);
    EXPECT_EQ(font->glyphOfCharacter.at(0x0042), 66);
    EXPECT_EQ(font->glyphOfCharacter.at(0x00C7), 67);
    EXPECT_FALSE(font->glyphOfCharacter.contains(0x0043));
    EXPECT_FALSE(font->glyphOfCharacter.contains(0x0327));
    EXPECT_EQ(font->glyphOfCharacter.size(), 4u);

    const auto glyph = font->GlyphFor(0x0042);
    ASSERT_TRUE(glyph);
    for (int y = 0; y < kGlyphHeight; ++y) {
        EXPECT_EQ(glyph->rows[y], PsfTestFont::Row(66, y)) << "row " << y;
    }
    EXPECT_FALSE(font->GlyphFor(0x0044));
}

TEST(PsfFont, ReadsTheSecondHalfOfA512GlyphFont) {
    PsfTestFont source(kGlyphHeight, 0x03);
    std::vector<uint8_t> bytes = source.Bytes();
    // Glyphs 256-511 follow glyph 255; the table then names them too.
    const size_t tableStart = 4 + 256 * kGlyphHeight;
    std::vector<uint8_t> more(256 * kGlyphHeight, 0x5A);
    bytes.insert(bytes.begin() + tableStart, more.begin(), more.end());
    for (int glyph = 256; glyph < 512; ++glyph) {
        if (glyph == 300) {
            bytes.insert(bytes.end(), {0x3A, 0x26});
        }
        bytes.insert(bytes.end(), {0xFF, 0xFF});
    }
    std::string error;
    const auto font = ParsePsfFont(bytes, error);
    ASSERT_TRUE(font) << error;
    EXPECT_EQ(font->glyphCount, 512);
    EXPECT_EQ(font->glyphOfCharacter.at(0x263A), 300);
    EXPECT_EQ(font->GlyphFor(0x263A)->rows[0], 0x5A);
}

TEST(PsfFont, RefusesDataThatIsNoUsableFont) {
    std::string error;
    EXPECT_FALSE(ParsePsfFont(std::vector<uint8_t>{}, error));
    EXPECT_EQ(error, "not a PSF1 font");

    std::vector<uint8_t> psf2 = {0x72, 0xB5, 0x4A, 0x86, 0, 0, 0, 0};
    EXPECT_FALSE(ParsePsfFont(psf2, error));
    EXPECT_EQ(error, "not a PSF1 font");

    EXPECT_FALSE(ParsePsfFont(PsfTestFont(kGlyphHeight, 0x00).Bytes(), error));
    EXPECT_EQ(error, "the font has no Unicode table");

    EXPECT_FALSE(ParsePsfFont(PsfTestFont(0).Bytes(), error));
    EXPECT_EQ(error, "the font's glyphs are cut short");

    const std::vector<uint8_t> whole = PsfTestFont(kGlyphHeight).Bytes();
    const std::vector<uint8_t> noGlyphs(whole.begin(), whole.begin() + 4 + 100);
    EXPECT_FALSE(ParsePsfFont(noGlyphs, error));
    EXPECT_EQ(error, "the font's glyphs are cut short");

    // Every cut inside the table is refused, however short.
    for (size_t cut = 4 + 256 * kGlyphHeight; cut < whole.size(); cut += 37) {
        const std::vector<uint8_t> shortTable(whole.begin(), whole.begin() + cut);
        EXPECT_FALSE(ParsePsfFont(shortTable, error)) << "cut at " << cut;
        EXPECT_EQ(error, "the font's Unicode table is cut short");
    }
}

TEST(PsfFont, GivesNoGlyphsOfAnotherHeight) {
    PsfTestFont source(16);
    source.Name(65, {0x0041});
    std::string error;
    const auto font = ParsePsfFont(source.Bytes(), error);
    ASSERT_TRUE(font) << error;
    EXPECT_EQ(font->height, 16);
    EXPECT_EQ(font->glyphOfCharacter.at(0x0041), 65);
    EXPECT_FALSE(font->GlyphFor(0x0041));
}

class PsfFontFiles : public testing::Test {
  protected:
    PsfFontFiles() {
        std::random_device seed;
        folder_ = std::filesystem::temp_directory_path() /
                  ("duskmarch_artgen_" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(folder_);
    }
    ~PsfFontFiles() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST_F(PsfFontFiles, LoadsGzipCompressedAndPlainFonts) {
    PsfTestFont source(kGlyphHeight);
    source.Name(1, {0x263A});
    const std::vector<uint8_t> bytes = source.Bytes();

    const std::string packed = Path("font.psf.gz");
    gzFile out = gzopen(packed.c_str(), "wb9");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(gzwrite(out, bytes.data(), static_cast<unsigned>(bytes.size())),
              static_cast<int>(bytes.size()));
    gzclose(out);

    const std::string plain = Path("font.psf");
    std::ofstream(plain, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    for (const std::string& path : {packed, plain}) {
        std::string error;
        const auto font = LoadPsfFont(path, error);
        ASSERT_TRUE(font) << path << ": " << error;
        EXPECT_EQ(font->glyphOfCharacter.at(0x263A), 1);
        EXPECT_EQ(font->bitmaps,
                  std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 4 + 256 * kGlyphHeight));
    }
}

TEST_F(PsfFontFiles, ReportsMissingDamagedAndOversizedFiles) {
    std::string error;
    EXPECT_FALSE(LoadPsfFont(Path("absent.psf.gz"), error));
    EXPECT_EQ(error, "cannot open " + Path("absent.psf.gz"));

    const std::string text = Path("notes.txt");
    std::ofstream(text) << "not a font";
    EXPECT_FALSE(LoadPsfFont(text, error));
    EXPECT_EQ(error, text + ": not a PSF1 font");

    // A font file never comes near a megabyte; a larger one is refused, not read whole.
    const std::string huge = Path("huge.psf");
    std::ofstream(huge, std::ios::binary) << std::string(3 << 20, '\x36');
    EXPECT_FALSE(LoadPsfFont(huge, error));
    EXPECT_EQ(error, huge + " is too large for a console font");
}

} // namespace
} // namespace dm
