#include "platform/pictures/pixmap.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace dm {
namespace {

std::vector<uint8_t> Bytes(const TPixmap& p, int x, int y, int count) {
    const uint8_t* first = p.PixelPtr(x, y);
    return std::vector<uint8_t>(first, first + count);
}

TEST(Pixmap, CreateRoundsThePitchUpAndRefusesBadArguments) {
    auto p = TPixmap::Create(5, 2, kPixelFormatRGB888, 4);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pitch, 16);
    EXPECT_EQ(p->capacity, 32);
    EXPECT_EQ(p->PixelPtr(1, 1) - p->pixels, 19);
    auto q = TPixmap::Create(3, 7, kPixelFormatI8, 1);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->pitch, 3);
    EXPECT_EQ(q->capacity, 21);
    EXPECT_EQ(TPixmap::Create(3, 2, kPixelFormatBGRA8888, 8)->pitch, 16);

    EXPECT_FALSE(TPixmap::Create(0, 5, kPixelFormatI8, 4));
    EXPECT_FALSE(TPixmap::Create(5, 0, kPixelFormatI8, 4));
    EXPECT_FALSE(TPixmap::Create(-3, 5, kPixelFormatI8, 4));
    EXPECT_FALSE(TPixmap::Create(5, 5, 0, 4));
    EXPECT_FALSE(TPixmap::Create(5, 5, 7, 4));
    EXPECT_FALSE(TPixmap::Create(5, 5, kPixelFormatI8, 0));
    // Over the cap: refused before any allocation is tried.
    EXPECT_FALSE(TPixmap::Create(100000, 100000, kPixelFormatRGBA8888, 4));
    EXPECT_FALSE(TPixmap::Create(0x7FFFFFFF, 1, kPixelFormatRGBA8888, 4));
    EXPECT_FALSE(TPixmap::Create(1, 0x7FFFFFFF, kPixelFormatI8, 4));
}

TEST(Pixmap, CreateStaticWrapsForeignMemory) {
    std::array<uint8_t, 12> memory{};
    auto p = TPixmap::CreateStatic(memory.data(), 2, 2, 6, kPixelFormatRGB888);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->capacity, -1);
    p->WritePixel(1, 1, 0xFF010203);
    EXPECT_EQ(memory[9], 1);
    EXPECT_EQ(memory[10], 2);
    EXPECT_EQ(memory[11], 3);

    EXPECT_FALSE(TPixmap::CreateStatic(nullptr, 2, 2, 6, kPixelFormatRGB888));
    EXPECT_FALSE(TPixmap::CreateStatic(memory.data(), 2, 2, 5, kPixelFormatRGB888));
    EXPECT_FALSE(TPixmap::CreateStatic(memory.data(), 2, 2, 6, 9));
}

// One colour, (a, r, g, b) = (77, 200, 100, 50), as each format stores it and reads it back.
struct FormatCase {
    int format;
    std::vector<uint8_t> bytes;
    uint32_t argb;
};

const std::array<FormatCase, 6> kCases{{
    {kPixelFormatI8, {116}, 0xFF747474}, // (200 + 100 + 50) / 3 = 116.67
    {kPixelFormatA8, {77}, 0x4DFFFFFF},
    {kPixelFormatBGR888, {50, 100, 200}, 0xFFC86432},
    {kPixelFormatRGB888, {200, 100, 50}, 0xFFC86432},
    {kPixelFormatBGRA8888, {50, 100, 200, 77}, 0x4DC86432},
    {kPixelFormatRGBA8888, {200, 100, 50, 77}, 0x4DC86432},
}};
const uint32_t kColour = 0x4DC86432;

TEST(Pixmap, PixelsPerFormat) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.format);
        const int size = BytesPerPixel(c.format);
        auto p = TPixmap::Create(3, 2, c.format, 4);
        ASSERT_TRUE(p);
        p->ClearPixels(0);
        p->WritePixel(2, 1, kColour);
        EXPECT_EQ(Bytes(*p, 2, 1, size), c.bytes);
        EXPECT_EQ(Bytes(*p, 0, 1, 2 * size), std::vector<uint8_t>(2 * size, 0));
        EXPECT_EQ(p->ReadPixel(2, 1), c.argb);

        // Converted to RGBA every pixel reads as before; back from RGBA the format's own bytes.
        auto rgba = p->Convert(kPixelFormatRGBA8888);
        ASSERT_TRUE(rgba);
        EXPECT_EQ(rgba->format, kPixelFormatRGBA8888);
        EXPECT_EQ(rgba->width, 3);
        EXPECT_EQ(rgba->height, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(rgba->ReadPixel(x, y), p->ReadPixel(x, y)) << x << "," << y;
        EXPECT_EQ(Bytes(*rgba, 2, 1, 4),
                  (std::vector<uint8_t>{uint8_t(c.argb >> 16), uint8_t(c.argb >> 8),
                                        uint8_t(c.argb), uint8_t(c.argb >> 24)}));
        auto full = TPixmap::Create(1, 1, kPixelFormatRGBA8888, 4);
        full->WritePixel(0, 0, kColour);
        auto narrowed = full->Convert(c.format);
        ASSERT_TRUE(narrowed);
        EXPECT_EQ(narrowed->format, c.format);
        EXPECT_EQ(Bytes(*narrowed, 0, 0, size), c.bytes);

        auto cleared = TPixmap::Create(3, 3, c.format, 4);
        cleared->ClearPixels(kColour);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                ASSERT_EQ(Bytes(*cleared, x, y, size), c.bytes) << x << "," << y;
    }
    // Grey sums the channels without overflowing a byte.
    auto grey = TPixmap::Create(1, 1, kPixelFormatI8, 4);
    grey->WritePixel(0, 0, 0xFFFFFFFF);
    EXPECT_EQ(grey->ReadPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(grey->Convert(0));
    EXPECT_FALSE(grey->Convert(7));
}

TEST(Pixmap, ConvertBetweenNonRgbaFormats) {
    // Wider than one conversion chunk, so the chunked path runs more than once.
    const int width = 600;
    auto bgr = TPixmap::Create(width, 1, kPixelFormatBGR888, 4);
    for (int x = 0; x < width; ++x)
        bgr->WritePixel(x, 0, 0xFF000000u | static_cast<uint32_t>(x % 256) << 16 | 0x0030F0);
    auto grey = bgr->Convert(kPixelFormatI8);
    ASSERT_TRUE(grey);
    for (int x = 0; x < width; ++x)
        ASSERT_EQ(grey->pixels[x], (x % 256 + 0x30 + 0xF0) / 3) << "x " << x;
    auto rgb = bgr->Convert(kPixelFormatRGB888);
    for (int x = 0; x < width; ++x)
        ASSERT_EQ(rgb->ReadPixel(x, 0), bgr->ReadPixel(x, 0)) << "x " << x;
    auto alpha = grey->Convert(kPixelFormatA8);
    EXPECT_EQ(alpha->pixels[width - 1], 255); // grey is opaque
}

TEST(Pixmap, CopyIsIndependent) {
    auto p = TPixmap::Create(3, 3, kPixelFormatRGB888, 4);
    p->ClearPixels(0xFF112233);
    p->WritePixel(1, 2, 0xFF445566);
    auto q = p->Copy();
    ASSERT_TRUE(q);
    EXPECT_EQ(q->pitch, 12);
    EXPECT_EQ(q->ReadPixel(2, 2), 0xFF112233u);
    p->WritePixel(1, 2, 0xFF000000);
    EXPECT_EQ(q->ReadPixel(1, 2), 0xFF445566u);
}

TEST(Pixmap, WindowSharesMemoryAndKeepsSourceAlive) {
    auto source = TPixmap::Create(8, 6, kPixelFormatRGBA8888, 4);
    source->ClearPixels(0);
    EXPECT_TRUE(source->Window(0, 0, 8, 6));
    EXPECT_FALSE(source->Window(-1, 0, 2, 2));
    EXPECT_FALSE(source->Window(0, -1, 2, 2));
    EXPECT_FALSE(source->Window(7, 0, 2, 2));
    EXPECT_FALSE(source->Window(0, 5, 2, 2));
    EXPECT_FALSE(source->Window(0, 0, 0, 2));
    EXPECT_FALSE(source->Window(0, 0, 2, 0));
    EXPECT_FALSE(source->Window(1, 1, 0x7FFFFFFF, 1));

    auto window = source->Window(2, 3, 4, 2);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->width, 4);
    EXPECT_EQ(window->height, 2);
    EXPECT_EQ(window->capacity, -1);
    EXPECT_EQ(window->pixels, source->PixelPtr(2, 3));

    window->WritePixel(0, 0, 0x11223344);
    EXPECT_EQ(source->ReadPixel(2, 3), 0x11223344u);
    source->WritePixel(5, 4, 0x55667788);
    EXPECT_EQ(window->ReadPixel(3, 1), 0x55667788u);

    // The window alone keeps the memory valid (AddressSanitizer would flag a freed buffer).
    std::weak_ptr<TPixmap> watch = source;
    source.reset();
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(window->ReadPixel(0, 0), 0x11223344u);
    window->WritePixel(3, 1, 0x01020304);
    EXPECT_EQ(window->ReadPixel(3, 1), 0x01020304u);

    // A window of a window reaches the same memory.
    auto inner = window->Window(2, 1, 2, 1);
    ASSERT_TRUE(inner);
    window.reset();
    EXPECT_EQ(inner->ReadPixel(1, 0), 0x01020304u);
    inner.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(Pixmap, ClearPixelsOfAWindowStaysInside) {
    auto source = TPixmap::Create(5, 4, kPixelFormatRGB888, 4);
    source->ClearPixels(0xFFFFFFFF);
    auto window = source->Window(1, 1, 3, 2);
    window->ClearPixels(0);
    window->ClearPixels(0xFF0000FF);
    window->ClearPixels(0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 1 && x <= 3 && y >= 1 && y <= 2;
            EXPECT_EQ(source->ReadPixel(x, y), inside ? 0xFF000000u : 0xFFFFFFFFu) << x << "," << y;
        }
}

TEST(Pixmap, PasteConvertsAndClips) {
    auto target = TPixmap::Create(4, 3, kPixelFormatRGB888, 4);
    target->ClearPixels(0xFF000000);
    auto source = TPixmap::Create(2, 2, kPixelFormatBGRA8888, 4);
    source->WritePixel(0, 0, 0x80102030);
    source->WritePixel(1, 0, 0x80405060);
    source->WritePixel(0, 1, 0x80708090);
    source->WritePixel(1, 1, 0x80A0B0C0);

    target->Paste(*source, 1, 1);
    EXPECT_EQ(Bytes(*target, 1, 1, 6), (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x40, 0x50, 0x60}));
    EXPECT_EQ(Bytes(*target, 1, 2, 6), (std::vector<uint8_t>{0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0}));
    EXPECT_EQ(target->ReadPixel(0, 1), 0xFF000000u);
    EXPECT_EQ(target->ReadPixel(3, 1), 0xFF000000u);
    EXPECT_EQ(target->ReadPixel(1, 0), 0xFF000000u);

    // Partly outside on every side: only the overlapping part lands.
    target->ClearPixels(0xFF000000);
    target->Paste(*source, -1, -1);
    EXPECT_EQ(target->ReadPixel(0, 0), 0xFFA0B0C0u);
    EXPECT_EQ(target->ReadPixel(1, 0), 0xFF000000u);
    EXPECT_EQ(target->ReadPixel(0, 1), 0xFF000000u);
    target->Paste(*source, 3, 2);
    EXPECT_EQ(target->ReadPixel(3, 2), 0xFF102030u);
    target->Paste(*source, 4, 0);
    target->Paste(*source, 0, 3);
    target->Paste(*source, 0x7FFFFFFF, 0x7FFFFFFF);
    target->Paste(*source, -0x7FFFFFFF, 0);
    EXPECT_EQ(target->ReadPixel(2, 2), 0xFF000000u);
    EXPECT_EQ(target->ReadPixel(3, 0), 0xFF000000u);
}

TEST(Pixmap, PasteOfAnOverlappingWindow) {
    // Shifting a picture down by one row inside itself must read every row before it is written.
    auto p = TPixmap::Create(2, 4, kPixelFormatI8, 1);
    for (int y = 0; y < 4; ++y)
        p->pixels[y * 2] = p->pixels[y * 2 + 1] = static_cast<uint8_t>(10 * (y + 1));
    auto top = p->Window(0, 0, 2, 3);
    p->Paste(*top, 0, 1);
    EXPECT_EQ(std::vector<uint8_t>(p->pixels, p->pixels + 8),
              (std::vector<uint8_t>{10, 10, 10, 10, 20, 20, 30, 30}));

    // The same with a format change on the way.
    auto q = TPixmap::Create(3, 1, kPixelFormatRGBA8888, 4);
    q->WritePixel(0, 0, 0xFF102030);
    q->WritePixel(1, 0, 0xFF405060);
    q->WritePixel(2, 0, 0xFF708090);
    auto asBgr = TPixmap::CreateStatic(q->pixels, 4, 1, 12, kPixelFormatBGR888);
    asBgr->Paste(*q->Window(0, 0, 2, 1), 1, 0);
    EXPECT_EQ(asBgr->ReadPixel(1, 0), 0xFF102030u);
    EXPECT_EQ(asBgr->ReadPixel(2, 0), 0xFF405060u);
}

} // namespace
} // namespace dm
