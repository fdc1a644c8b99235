#pragma once

#include "platform/expected.h"
#include "platform/io/stream.h"
#include "platform/pictures/png_codec.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace dm {

// Fills count rows of RGBA8888 pixels, picture rows firstRow onward in order; row i starts at
// pixels + i * stride (rows are not aligned).
using RgbaRowSource = std::function<void(uint8_t* pixels, size_t stride, int firstRow, int count)>;

// An RGBA picture to write, and how.
struct ParallelPngJob {
    int width = 0;
    int height = 0;
    // 0 stores the pixels, 9 makes the smallest file, as for WritePixmapPNG; clamped to 0-9.
    int compression = 8;
    // Rows deflated as one piece; 0 for BandRowsFor(width, threads).
    int bandRows = 0;
    // Pieces deflated at the same time; 0 for one per core.
    int threads = 0;
};

// The zlib level that a compression of 0-9 stands for in this writer: each row here is filtered
// the same cheap way, so a lower level gives the file that libpng's adaptive filters give at the
// higher one.
int ZlibLevelFor(int compression);

// The processor cores to deflate on, at least 1.
int CoreCount();

// Rows per band, so that every band in flight together stays within a few megabytes.
int BandRowsFor(int width, int threads);

// Writes an ordinary 8-bit RGBA PNG (colour type 6, not interlaced) of job.width x job.height
// pixels, taking the rows from source band by band and never holding more than a few bands.
// Every row uses the "Up" filter, which turns the rows that repeat inside a row of glyphs into
// zeros. The bands are deflated on job.threads threads at once; each is primed with the last
// 32 KiB before it, so the pieces join into one zlib stream as one deflate run would have
// made it. Progress is told each row once its band is in the stream. Writing stops at the first
// failed write, and the failure says so; a side over kPngMaxSide fails before source is asked
// for anything. Source and progress are called on the calling thread only; whatever they throw
// reaches the caller, once no band is still being deflated.
Outcome WriteParallelPng(TStream& out, const ParallelPngJob& job, const RgbaRowSource& source,
                         const PngRowProgress& progress = {});

} // namespace dm
