#pragma once

#include "model/tilemap.h"
#include "platform/stream.h"

#include <cstdint>

namespace dm {

// The run-length body: two-byte runs (count c, value v) each standing for c + 1 bytes equal to
// v, covering the cell array in storage order without restarting at plane or row boundaries.
// A map without cells has an empty body.

// Writes the whole "DMTR" file image: magic, width, height, checksum, the runs, then "EOF".
void WriteRLE(const tilemap& map, TStream& out);

// The byte length of the runs WriteRLE writes for the map (2 per run), header and trailer
// excluded.
int64_t rlesize(const tilemap& map);

enum class RleDecodeResult {
    Complete,    // the runs covered the cell array exactly
    RunPastEnd,  // a run would pass the end of the cell array; it was not written
    EndOfStream, // the stream ended before the runs covered the cell array
};

// Decodes runs from the stream into map.tmap, which the caller has sized to 3 * w * h bytes,
// stopping once they cover it. Stream read errors are reported as EndOfStream, not thrown.
RleDecodeResult ReadRLE(TStream& in, tilemap& map);

} // namespace dm
