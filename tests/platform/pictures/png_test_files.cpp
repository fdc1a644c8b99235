#include "platform/pictures/png_test_files.h"

#include <zlib.h>

#include <algorithm>
#include <csetjmp>

namespace dm::test {

namespace {

void Append(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// Only trivially destructible objects live in this frame, as setjmp requires.
bool Write(png_structp png, png_infop info, const PngPicture* p, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, p->width, p->height, p->bitDepth, p->colorType,
                 p->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!p->palette.empty())
        png_set_PLTE(png, info, p->palette.data(), static_cast<int>(p->palette.size()));
    if (!p->paletteAlpha.empty())
        png_set_tRNS(png, info, p->paletteAlpha.data(), static_cast<int>(p->paletteAlpha.size()),
                     nullptr);
    if (p->hasTransparentColor)
        png_set_tRNS(png, info, nullptr, 0, &p->transparentColor);
    png_write_info(png, info);
    png_set_interlace_handling(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

} // namespace

std::vector<uint8_t> EncodePng(const PngPicture& picture) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, Append, NoFlush);
    const size_t rowBytes = picture.rows.size() / picture.height;
    std::vector<png_bytep> rows;
    for (uint32_t y = 0; y < picture.height; ++y)
        rows.push_back(const_cast<png_bytep>(picture.rows.data() + y * rowBytes));
    const bool ok = Write(png, info, &picture, rows.data());
    png_destroy_write_struct(&png, &info);
    if (!ok)
        out.clear();
    return out;
}

std::vector<uint8_t> PngChunk(const std::string& type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4));
    PutBigEndian(out, static_cast<uint32_t>(crc));
    return out;
}

std::vector<uint8_t> PngWithDataPastLastRow(const PngPicture& picture, uint64_t extraZeros) {
    std::vector<uint8_t> raw;
    const size_t rowBytes = picture.rows.size() / picture.height;
    for (uint32_t y = 0; y < picture.height; ++y) {
        raw.push_back(0); // no filter
        raw.insert(raw.end(), picture.rows.begin() + static_cast<long>(y * rowBytes),
                   picture.rows.begin() + static_cast<long>((y + 1) * rowBytes));
    }
    // A full flush ends each piece on a byte with an empty dictionary, so every mebibyte of zeros
    // compresses to the same bytes and gigabytes of them cost one piece and a checksum to make.
    constexpr size_t kPiece = 1 << 20;
    const std::vector<uint8_t> zeros(kPiece, 0);
    z_stream zip{};
    deflateInit2(&zip, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    const auto deflated = [&zip](const uint8_t* data, size_t size, int flush) {
        std::vector<uint8_t> out(deflateBound(&zip, static_cast<uLong>(size)) + 64);
        zip.next_in = const_cast<uint8_t*>(data);
        zip.avail_in = static_cast<uInt>(size);
        zip.next_out = out.data();
        zip.avail_out = static_cast<uInt>(out.size());
        deflate(&zip, flush);
        out.resize(static_cast<size_t>(zip.next_out - out.data()));
        return out;
    };
    std::vector<uint8_t> stream{0x78, 0xDA};
    const std::vector<uint8_t> rows = deflated(raw.data(), raw.size(), Z_FULL_FLUSH);
    stream.insert(stream.end(), rows.begin(), rows.end());
    const std::vector<uint8_t> piece = deflated(zeros.data(), kPiece, Z_FULL_FLUSH);
    uLong adler = adler32(1, raw.data(), static_cast<uInt>(raw.size()));
    const uLong pieceAdler = adler32(1, zeros.data(), static_cast<uInt>(kPiece));
    for (uint64_t left = extraZeros; left >= kPiece; left -= kPiece) {
        stream.insert(stream.end(), piece.begin(), piece.end());
        adler = adler32_combine(adler, pieceAdler, kPiece);
    }
    const std::vector<uint8_t> finish = deflated(nullptr, 0, Z_FINISH);
    deflateEnd(&zip);
    stream.insert(stream.end(), finish.begin(), finish.end());
    PutBigEndian(stream, static_cast<uint32_t>(adler));

    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, picture.width);
    PutBigEndian(header, picture.height);
    header.insert(header.end(), {8, static_cast<uint8_t>(picture.colorType), 0, 0, 0});
    const auto append = [&png](const std::vector<uint8_t>& chunk) {
        png.insert(png.end(), chunk.begin(), chunk.end());
    };
    append(PngChunk("IHDR", header));
    for (size_t at = 0; at < stream.size(); at += kPiece) {
        const size_t end = std::min(stream.size(), at + kPiece);
        append(PngChunk("IDAT", std::vector<uint8_t>(stream.begin() + static_cast<long>(at),
                                                     stream.begin() + static_cast<long>(end))));
    }
    append(PngChunk("IEND", {}));
    return png;
}

std::vector<uint8_t> PngWithHeaderOnly(uint32_t width, uint32_t height) {
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.insert(header.end(), {8, PNG_COLOR_TYPE_RGB, 0, 0, 0});
    for (const auto& chunk :
         {PngChunk("IHDR", header),
          PngChunk("IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}), PngChunk("IEND", {})})
        out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
}

} // namespace dm::test
