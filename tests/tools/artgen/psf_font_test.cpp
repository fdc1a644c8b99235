#include "psf_font.h"

#include "psf_test_font.h"
#include "render/temp_folder.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace dm {
namespace {

using test::PsfTestFont;

TEST(PsfFont, MapsEachCharacterToTheFirstGlyphNamingIt) {
    PsfTestFont source(kGlyphHeight);
    source.Name(65, {0x0041, 0x0391});
    source.Name(66, {0x0041, 0x0042});
    source.Name(67, {0x00C7, 0xFFFE, 0x0043, 0x0327}); // C with a cedilla as a sequence
    const auto font = ParsePsfFont(source.Bytes());
    ASSERT_TRUE(font) << font.Why();
    EXPECT_EQ(font->height, kGlyphHeight);
    EXPECT_EQ(font->glyphCount, 256);
    EXPECT_EQ(font->glyphOfCharacter.at(0x0041), 65);
    EXPECT_EQ(font->glyphOfCharacter.at(0x0391), 65);
    EXPECT_EQ(font->glyphOfCharacter.at(0x0042), 66);
    EXPECT_EQ(font->glyphOfCharacter.at(0x00C7), 67);
    EXPECT_EQ(font->glyphOfCharacter.size(), 4u); // no entry for the sequence's parts

    const auto glyph = font->GlyphFor(0x0042);
    ASSERT_TRUE(glyph);
    for (int y = 0; y < kGlyphHeight; ++y) {
        EXPECT_EQ(glyph->rows[y], PsfTestFont::Row(66, y)) << "row " << y;
    }
    EXPECT_FALSE(font->GlyphFor(0x0044));

    // A font of another height names its characters but gives no glyphs.
    PsfTestFont tall(16);
    tall.Name(65, {0x0041});
    const auto tallFont = ParsePsfFont(tall.Bytes());
    ASSERT_TRUE(tallFont) << tallFont.Why();
    EXPECT_EQ(tallFont->height, 16);
    EXPECT_EQ(tallFont->glyphOfCharacter.at(0x0041), 65);
    EXPECT_FALSE(tallFont->GlyphFor(0x0041));
}

TEST(PsfFont, ReadsTheSecondHalfOfA512GlyphFont) {
    std::vector<uint8_t> bytes = PsfTestFont(kGlyphHeight, 0x03).Bytes();
    // Glyphs 256-511 follow glyph 255; the table then names them too.
    const std::vector<uint8_t> more(256 * kGlyphHeight, 0x5A);
    bytes.insert(bytes.begin() + 4 + 256 * kGlyphHeight, more.begin(), more.end());
    for (int glyph = 256; glyph < 512; ++glyph) {
        if (glyph == 300) {
            bytes.insert(bytes.end(), {0x3A, 0x26});
        }
        bytes.insert(bytes.end(), {0xFF, 0xFF});
    }
    const auto font = ParsePsfFont(bytes);
    ASSERT_TRUE(font) << font.Why();
    EXPECT_EQ(font->glyphCount, 512);
    EXPECT_EQ(font->glyphOfCharacter.at(0x263A), 300);
    EXPECT_EQ(font->GlyphFor(0x263A)->rows[0], 0x5A);
}

TEST(PsfFont, RefusesDataThatIsNoUsableFont) {
    const std::vector<uint8_t> whole = PsfTestFont(kGlyphHeight).Bytes();
    const struct {
        std::vector<uint8_t> bytes;
        std::string error;
    } cases[] = {
        {{}, "not a PSF1 font"},
        {{0x72, 0xB5, 0x4A, 0x86, 0, 0, 0, 0}, "not a PSF1 font"}, // version 2
        {PsfTestFont(kGlyphHeight, 0x00).Bytes(), "the font has no Unicode table"},
        {PsfTestFont(0).Bytes(), "the font's glyphs are cut short"},
        {{whole.begin(), whole.begin() + 4 + 100}, "the font's glyphs are cut short"},
    };
    for (const auto& c : cases) {
        const auto font = ParsePsfFont(c.bytes);
        ASSERT_FALSE(font) << c.error;
        EXPECT_EQ(font.Why(), c.error);
    }
    // Every cut inside the table is refused, however short.
    for (size_t cut = 4 + 256 * kGlyphHeight; cut < whole.size(); cut += 37) {
        const std::vector<uint8_t> shortTable(whole.begin(), whole.begin() + cut);
        const auto font = ParsePsfFont(shortTable);
        ASSERT_FALSE(font) << "cut at " << cut;
        EXPECT_EQ(font.Why(), "the font's Unicode table is cut short");
    }
}

TEST(PsfFontFiles, LoadsGzipCompressedAndPlainFontsAndReportsBadFiles) {
    test::TempFolder folder;
    PsfTestFont source(kGlyphHeight);
    source.Name(1, {0x263A});
    const std::vector<uint8_t> bytes = source.Bytes();

    const std::string packed = folder.Path("font.psf.gz");
    gzFile out = gzopen(packed.c_str(), "wb9");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(gzwrite(out, bytes.data(), static_cast<unsigned>(bytes.size())),
              static_cast<int>(bytes.size()));
    gzclose(out);
    const std::string plain = folder.Write("font.psf", std::string(bytes.begin(), bytes.end()));

    for (const std::string& path : {packed, plain}) {
        const auto font = LoadPsfFont(path);
        ASSERT_TRUE(font) << path << ": " << font.Why();
        EXPECT_EQ(font->glyphOfCharacter.at(0x263A), 1);
        EXPECT_EQ(font->bitmaps,
                  std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 4 + 256 * kGlyphHeight));
    }

    const auto absent = LoadPsfFont(folder.Path("absent.psf.gz"));
    ASSERT_FALSE(absent);
    EXPECT_EQ(absent.Why(), "cannot open " + folder.Path("absent.psf.gz"));

    const std::string text = folder.Write("notes.txt", "not a font");
    const auto notFont = LoadPsfFont(text);
    ASSERT_FALSE(notFont);
    EXPECT_EQ(notFont.Why(), text + ": not a PSF1 font");

    // A font file never comes near a megabyte; a larger one is refused, not read whole.
    const std::string huge = folder.Write("huge.psf", std::string(3 << 20, '\x36'));
    const auto tooLarge = LoadPsfFont(huge);
    ASSERT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.Why(), huge + " is too large for a console font");
}

} // namespace
} // namespace dm
