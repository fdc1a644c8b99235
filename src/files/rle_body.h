#pragma once

#include "model/tilemap.h"
#include "platform/io/stream.h"

#include <cstdint>
#include <vector>

namespace dm {

// The run-length body: two-byte runs (count c, value v) each standing for c + 1 bytes equal to
// v, covering the cell array in storage order without restarting at plane or row boundaries.
// A map without cells has an empty body.

// The runs of the map's cell array, two bytes each.
std::vector<uint8_t> EncodeRuns(const tilemap& map);

// Writes the whole "DMTR" file image: magic, width, height, checksum, the runs, then "EOF".
// runs is EncodeRuns(map), built once by the caller.
void WriteRLE(const tilemap& map, TStream& out, const std::vector<uint8_t>& runs);

// Builds the runs and writes the file image as above.
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
// stopping once they cover it; no byte after the last run is consumed. Stream read errors are
// reported as EndOfStream, not thrown.
RleDecodeResult ReadRLE(TStream& in, tilemap& map);

} // namespace dm
