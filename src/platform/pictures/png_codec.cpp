#include "platform/pictures/png_codec.h"

#include "platform/io/open_stream.h"
#include "platform/pictures/png_chunk_follower.h"

#include <png.h>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <exception>
#include <vector>

// libpng reports errors by longjmp. Every function below that calls setjmp keeps only trivially
// destructible objects in its frame, and the stream and row callbacks turn C++ exceptions into
// libpng errors before unwinding could cross libpng's C frames; the exception is rethrown (or
// judged) once libpng has returned.

namespace dm {

namespace {

constexpr size_t kCompressedReadBytes = 1024;

struct IoContext {
    explicit IoContext(TStream& stream) : stream(&stream) {}

    TStream* stream;
    std::exception_ptr failure;
    const PngRowProgress* progress = nullptr;
    int rowsTotal = 0;
    // Reading: the chunks read so far, and the rows that carry data still to be decoded.
    PngChunkFollower chunks;
    uint64_t rowsLeft = 0;
    bool stoppedAfterRows = false;
};

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Once the last row is decoded, libpng would inflate whatever compressed data follows it, however
// much that is; the decoder is stopped there instead and the rest of the file is checked by the
// chunk follower.
void ReadFromStream(png_structp png, png_bytep data, size_t length) {
    auto* io = static_cast<IoContext*>(png_get_io_ptr(png));
    if (io->rowsLeft == 0) {
        io->stoppedAfterRows = true;
        png_error(png, "picture complete");
    }
    try {
        io->stream->ReadBytes(data, static_cast<int64_t>(length));
        io->chunks.Pass(data, length);
        return;
    } catch (...) {
        io->failure = std::current_exception();
    }
    png_error(png, "stream read failed");
}

void WriteToStream(png_structp png, png_bytep data, size_t length) {
    auto* io = static_cast<IoContext*>(png_get_io_ptr(png));
    try {
        io->stream->WriteBytes(data, static_cast<int64_t>(length));
        return;
    } catch (...) {
        io->failure = std::current_exception();
    }
    png_error(png, "stream write failed");
}

void FlushStream(png_structp png) {
    auto* io = static_cast<IoContext*>(png_get_io_ptr(png));
    try {
        io->stream->Flush();
        return;
    } catch (...) {
        io->failure = std::current_exception();
    }
    png_error(png, "stream flush failed");
}

void ReportRow(png_structp png, png_uint_32 rowsWritten, int) {
    auto* io = static_cast<IoContext*>(png_get_io_ptr(png));
    try {
        (*io->progress)(static_cast<int>(rowsWritten), io->rowsTotal);
        return;
    } catch (...) {
        io->failure = std::current_exception();
    }
    png_error(png, "progress report failed");
}

// Called for every row decoded from the data, before it is copied out.
void CountRow(png_structp png, png_row_infop, png_bytep) {
    auto* io = static_cast<IoContext*>(png_get_io_ptr(png));
    --io->rowsLeft;
}

// The rows that carry data: every row, or for an interlaced picture the rows of each pass that
// has columns.
uint64_t DataRows(png_uint_32 width, png_uint_32 height, int passes) {
    if (passes == 1)
        return height;
    uint64_t rows = 0;
    for (int pass = 0; pass < passes; ++pass)
        if (PNG_PASS_COLS(width, pass) != 0)
            rows += PNG_PASS_ROWS(height, pass);
    return rows;
}

// What the decoder delivers once its transforms are set.
struct DecodedLayout {
    png_uint_32 width;
    png_uint_32 height;
    int colorType;
    int bitDepth;
    size_t rowBytes;
    int passes;
};

bool ReadHeader(png_structp png, png_infop info, DecodedLayout* layout) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kPngMaxSide, kPngMaxSide);
    png_set_chunk_cache_max(png, kPngMaxCachedChunks);
    png_set_chunk_malloc_max(png, kPngMaxChunkBytes);
    // Past the limit above libpng only warns and still allocates what a chunk's length claims.
    // No ancillary chunk but tRNS (which libpng goes on handling) changes the pixels delivered,
    // so every other one is skipped unread and costs no memory, whatever its length.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    // Compressed data read ahead of the last row are still inflated when it is done; small reads
    // keep that work small.
    png_set_compression_buffer_size(png, kCompressedReadBytes);
    png_read_info(png, info);

    const int colorType = png_get_color_type(png, info);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (transparency)
        png_set_tRNS_to_alpha(png);
    // Grey with alpha has no pixmap format of its own; it widens to (g, g, g, a).
    if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA ||
        (colorType == PNG_COLOR_TYPE_GRAY && transparency))
        png_set_gray_to_rgb(png);
    layout->passes = png_set_interlace_handling(png);
    png_set_read_user_transform_fn(png, CountRow);
    png_read_update_info(png, info);

    layout->width = png_get_image_width(png, info);
    layout->height = png_get_image_height(png, info);
    layout->colorType = png_get_color_type(png, info);
    layout->bitDepth = png_get_bit_depth(png, info);
    layout->rowBytes = png_get_rowbytes(png, info);
    return true;
}

// Reads the next count rows, each pass of an interlaced picture over the same rows.
bool ReadRows(png_structp png, png_bytepp rows, png_uint_32 count, int passes) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (int pass = 0; pass < passes; ++pass)
        png_read_rows(png, rows, nullptr, count);
    return true;
}

int PixmapFormat(const DecodedLayout& layout) {
    if (layout.bitDepth != 8)
        return 0;
    switch (layout.colorType) {
    case PNG_COLOR_TYPE_GRAY:
        return kPixelFormatI8;
    case PNG_COLOR_TYPE_RGB:
        return kPixelFormatRGB888;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return kPixelFormatRGBA8888;
    default:
        return 0;
    }
}

class ReadStruct {
  public:
    ReadStruct() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        if (png)
            info = png_create_info_struct(png);
    }
    ~ReadStruct() { png_destroy_read_struct(&png, &info, nullptr); }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
};

class WriteStruct {
  public:
    WriteStruct() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        if (png)
            info = png_create_info_struct(png);
    }
    ~WriteStruct() { png_destroy_write_struct(&png, &info); }
    WriteStruct(const WriteStruct&) = delete;
    WriteStruct& operator=(const WriteStruct&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
};

bool HasSignature(TStream& stream) {
    png_byte signature[8];
    size_t got = 0;
    while (got < sizeof(signature)) {
        const int64_t moved =
            stream.Read(signature + got, static_cast<int64_t>(sizeof(signature) - got));
        if (moved <= 0)
            return false;
        got += static_cast<size_t>(moved);
    }
    return png_sig_cmp(signature, 0, sizeof(signature)) == 0;
}

// Decodes the rows after the signature band by band into one pixmap of bandRows rows. An
// interlaced picture needs every row at hand on each pass, so it is read as one band. The pixmap
// of the last band, or null when the decode fails.
std::shared_ptr<TPixmap> DecodeBands(TStream& stream, int bandRows, const PngLayoutCheck& check,
                                     const PngBandSink& sink) {
    ReadStruct read;
    if (!read.info || bandRows <= 0)
        return nullptr;
    IoContext io(stream);
    io.rowsLeft = UINT64_MAX;
    png_set_read_fn(read.png, &io, ReadFromStream);

    DecodedLayout layout{};
    bool ok = ReadHeader(read.png, read.info, &layout);
    io.rowsLeft = DataRows(layout.width, layout.height, layout.passes);
    const int format = PixmapFormat(layout);
    ok = ok && format != 0 && static_cast<uint64_t>(layout.width) * layout.height <= kPngMaxPixels;
    const int width = static_cast<int>(layout.width);
    const int height = static_cast<int>(layout.height);
    ok = ok && (!check || check(PngLayout{width, height, format}));
    if (layout.passes > 1)
        bandRows = height;
    std::shared_ptr<TPixmap> band;
    if (ok) {
        band = TPixmap::Create(width, std::min(bandRows, height), format, 4);
        ok = band && layout.rowBytes <= static_cast<size_t>(band->pitch);
    }
    std::vector<png_bytep> rows(band ? static_cast<size_t>(band->height) : 0);
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = band->PixelPtr(0, static_cast<int>(y));
    for (int first = 0; ok && first < height; first += band->height) {
        const int count = std::min(band->height, height - first);
        // Stopped after the last row, libpng has already copied that row out.
        ok = ReadRows(read.png, rows.data(), static_cast<png_uint_32>(count), layout.passes) ||
             (io.stoppedAfterRows && first + count == height);
        if (ok && sink)
            sink(count == band->height ? *band : *band->Window(0, 0, width, count), first);
    }
    ok = ok && io.chunks.Finish(stream);
    if (io.failure)
        std::rethrow_exception(io.failure);
    return ok ? band : nullptr;
}

struct EncodeLayout {
    png_uint_32 width;
    png_uint_32 height;
    int colorType;
    bool bgr;
    int level;
};

// How libpng takes rows of a pixmap format; convert turns true for a format that is first
// converted to RGBA8888.
EncodeLayout LayoutFor(int width, int height, int format, int compression, bool& convert) {
    EncodeLayout layout{static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                        PNG_COLOR_TYPE_RGB_ALPHA, false, std::clamp(compression, 0, 9)};
    convert = false;
    switch (format) {
    case kPixelFormatI8:
        layout.colorType = PNG_COLOR_TYPE_GRAY;
        break;
    case kPixelFormatRGB888:
    case kPixelFormatBGR888:
        layout.colorType = PNG_COLOR_TYPE_RGB;
        layout.bgr = format == kPixelFormatBGR888;
        break;
    case kPixelFormatRGBA8888:
    case kPixelFormatBGRA8888:
        layout.bgr = format == kPixelFormatBGRA8888;
        break;
    default:
        convert = true;
        break;
    }
    return layout;
}

bool WriteHeader(png_structp png, png_infop info, const EncodeLayout* layout) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_compression_level(png, layout->level);
    png_set_IHDR(png, info, layout->width, layout->height, 8, layout->colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (layout->bgr)
        png_set_bgr(png);
    return true;
}

bool WriteRows(png_structp png, png_bytepp rows, png_uint_32 count) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_rows(png, rows, count);
    return true;
}

bool WriteEnd(png_structp png) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_end(png, nullptr);
    return true;
}

// The addresses of picture rows first to first + count - 1, good until the next call.
using RowAddresses = std::function<std::vector<png_bytep>&(int first, int count)>;

// Encodes the picture bandRows rows at a time. libpng copies each row before transforming it, so
// the pixels are only read.
bool Encode(TStream& out, const EncodeLayout& layout, int bandRows, const RowAddresses& rowsOf,
            const PngRowProgress& progress) {
    WriteStruct write;
    if (!write.info)
        return false;
    IoContext io(out);
    io.progress = &progress;
    io.rowsTotal = static_cast<int>(layout.height);
    png_set_write_fn(write.png, &io, WriteToStream, FlushStream);
    if (progress)
        png_set_write_status_fn(write.png, ReportRow);

    const int height = static_cast<int>(layout.height);
    bool ok = WriteHeader(write.png, write.info, &layout);
    for (int first = 0; ok && first < height; first += bandRows) {
        const int count = std::min(bandRows, height - first);
        ok = WriteRows(write.png, rowsOf(first, count).data(), static_cast<png_uint_32>(count));
    }
    ok = ok && WriteEnd(write.png);
    if (io.failure)
        std::rethrow_exception(io.failure);
    if (ok)
        out.Flush();
    return ok;
}

} // namespace

std::shared_ptr<TPixmap> LoadPixmap(TStream& stream) {
    try {
        // A single band of every row is the whole picture.
        return HasSignature(stream) ? DecodeBands(stream, INT_MAX, nullptr, nullptr) : nullptr;
    } catch (const TStreamException&) {
        return nullptr;
    }
}

std::shared_ptr<TPixmap> LoadPixmap(const std::string& path) {
    const auto stream = OpenReadStream(path);
    if (!stream)
        return nullptr;
    std::shared_ptr<TPixmap> result;
    if (stream->Pos() >= 0)
        result = LoadPixmap(*stream);
    stream->Close();
    return result;
}

bool ReadPngBands(TStream& stream, int bandRows, const PngLayoutCheck& check,
                  const PngBandSink& sink) {
    try {
        return HasSignature(stream) && DecodeBands(stream, bandRows, check, sink) != nullptr;
    } catch (const TStreamException&) {
        return false;
    }
}

bool WritePixmapPNG(const TPixmap& pixmap, TStream& out, int compression,
                    const PngRowProgress& progress) {
    bool convert = false;
    const EncodeLayout layout =
        LayoutFor(pixmap.width, pixmap.height, pixmap.format, compression, convert);
    const TPixmap* source = &pixmap;
    std::shared_ptr<TPixmap> converted;
    if (convert) {
        converted = pixmap.Convert(kPixelFormatRGBA8888);
        if (!converted)
            return false;
        source = converted.get();
    }
    std::vector<png_bytep> rows(static_cast<size_t>(source->height));
    for (int y = 0; y < source->height; ++y)
        rows[static_cast<size_t>(y)] = source->PixelPtr(0, y);
    return Encode(
        out, layout, source->height, [&rows](int, int) -> std::vector<png_bytep>& { return rows; },
        progress);
}

bool WritePngBands(TStream& out, const PngLayout& picture, int bandRows, int compression,
                   const PngBandSource& source, const PngRowProgress& progress) {
    if (bandRows <= 0 || picture.width <= 0 || picture.height <= 0 ||
        static_cast<uint32_t>(picture.width) > kPngMaxSide ||
        static_cast<uint32_t>(picture.height) > kPngMaxSide)
        return false;
    bool convert = false;
    const EncodeLayout layout =
        LayoutFor(picture.width, picture.height, picture.format, compression, convert);
    const int rowsInBand = std::min(bandRows, picture.height);
    const std::shared_ptr<TPixmap> band =
        TPixmap::Create(picture.width, rowsInBand, picture.format, 4);
    const std::shared_ptr<TPixmap> converted =
        convert ? TPixmap::Create(picture.width, rowsInBand, kPixelFormatRGBA8888, 4) : band;
    if (!band || !converted)
        return false;
    std::vector<png_bytep> rows;
    return Encode(
        out, layout, rowsInBand,
        [&](int first, int count) -> std::vector<png_bytep>& {
            const std::shared_ptr<TPixmap> part =
                count == band->height ? band : band->Window(0, 0, picture.width, count);
            source(*part, first);
            if (convert)
                converted->Paste(*part, 0, 0);
            rows.clear();
            for (int y = 0; y < count; ++y)
                rows.push_back(converted->PixelPtr(0, y));
            return rows;
        },
        progress);
}

bool WritePixmapPNG(const TPixmap& pixmap, const std::string& path, int compression,
                    const PngRowProgress& progress) {
    const auto stream = OpenWriteStream(path);
    if (!stream)
        return false;
    const bool ok = WritePixmapPNG(pixmap, *stream, compression, progress);
    stream->Close();
    return ok;
}

} // namespace dm
