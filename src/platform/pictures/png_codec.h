#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/io/stream.h"
#include "platform/pictures/pixmap.h"

namespace dm {

// Limits that keep a hostile picture from making the loader allocate without bound. A picture
// over any of them loads as null. The side limit is the one libpng itself applies when writing,
// so every picture this program writes loads again (a map of one long row is one long picture);
// the pixel count is what bounds the memory. Ancillary chunks other than transparency are
// skipped unread whatever length they declare, so the chunk limits bind only libpng's own use.
inline constexpr uint32_t kPngMaxSide = 1000000;                  // width and height each
inline constexpr uint64_t kPngMaxPixels = 64ull * 1024 * 1024;    // width x height
inline constexpr uint64_t kPngMaxChunkBytes = 8ull * 1024 * 1024; // one ancillary chunk
inline constexpr uint32_t kPngMaxCachedChunks = 128;              // ancillary chunks kept

// Decodes a PNG picture at the stream's position. 16-bit samples are cut to 8 bits; palettes,
// grey below 8 bits and transparency chunks are expanded. Grey loads as kPixelFormatI8, RGB as
// kPixelFormatRGB888, anything with alpha as kPixelFormatRGBA8888 (grey with alpha as (g, g, g,
// a)); rows are aligned to 4. Null when the signature is missing, the data are damaged or cut
// short, the stream fails, or a limit above is exceeded. Decoding stops after the last row:
// compressed data that follow it are not inflated, only read for their checksums, and the file must
// still end with IEND after nothing but image data and ancillary chunks. Never prints anything.
std::shared_ptr<TPixmap> LoadPixmap(TStream& stream);

// Opens the file and decodes it as above; null when it cannot be opened or decoded.
std::shared_ptr<TPixmap> LoadPixmap(const std::string& path);

// The size and pixmap format of the picture LoadPixmap would deliver.
struct PngLayout {
    int width;
    int height;
    int format;
};

// Told the layout once the header is read, before any row is decoded; false stops the decode.
using PngLayoutCheck = std::function<bool(const PngLayout& layout)>;

// Handed each band of decoded rows: band holds picture rows firstRow to firstRow + band.height - 1
// (rows aligned to 4). Its memory is reused for the next band.
using PngBandSink = std::function<void(const TPixmap& band, int firstRow)>;

// Decodes as LoadPixmap does, with the same formats, limits and failures, but hands the rows to
// sink in bands of bandRows rows (fewer in the last band; an interlaced picture comes as a single
// band) instead of keeping the whole picture. True once every row is handed over and the data
// after them are whole; false when LoadPixmap would give null, when check refuses, or when
// bandRows is not positive. A stream exception thrown by check or sink is a failure too; whatever
// else they throw reaches the caller.
bool ReadPngBands(TStream& stream, int bandRows, const PngLayoutCheck& check,
                  const PngBandSink& sink);

// Told after each row the encoder has taken in: the rows done so far and the picture's height.
// The last call, with rowsWritten equal to the height, comes once all the compressed pixel data
// are in the stream; only the closing chunk and the flush follow it.
using PngRowProgress = std::function<void(int rowsWritten, int rowsTotal)>;

// Encodes the pixmap as an 8-bit, non-interlaced PNG at zlib level compression (clamped to 0-9).
// kPixelFormatI8 is written as grey, the three-byte formats as RGB, kPixelFormatRGBA8888 and
// kPixelFormatBGRA8888 as RGBA, and kPixelFormatA8 as RGBA with white colour channels. False when
// the encoder fails; a failing stream write is not caught and reaches the caller as
// TStreamWriteException, and whatever progress throws reaches the caller too, once the encoder has
// stopped. The stream is flushed.
bool WritePixmapPNG(const TPixmap& pixmap, TStream& out, int compression,
                    const PngRowProgress& progress = {});

// Fills band, whose rows are aligned to 4, with picture rows firstRow to
// firstRow + band.height - 1.
using PngBandSource = std::function<void(TPixmap& band, int firstRow)>;

// Encodes a picture of picture.width x picture.height pixels in picture.format as WritePixmapPNG
// encodes a pixmap of that format, without ever holding more of it than one band: source fills a
// band of bandRows rows (fewer in the last), which is encoded before the next is asked for.
// False as for WritePixmapPNG, and for a side over kPngMaxSide or a bandRows that is not
// positive; stream errors and whatever source or progress throw reach the caller.
bool WritePngBands(TStream& out, const PngLayout& picture, int bandRows, int compression,
                   const PngBandSource& source, const PngRowProgress& progress = {});

// Creates or truncates the file and writes the pixmap to it as above; false when the file cannot
// be opened or the encoder fails. The file is closed on every path.
bool WritePixmapPNG(const TPixmap& pixmap, const std::string& path, int compression,
                    const PngRowProgress& progress = {});

} // namespace dm
