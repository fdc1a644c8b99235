#pragma once

#include "model/tilemap.h"
#include "platform/expected.h"
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

// Why runs were refused: a run would pass the end of the cell array (it was not written), or the
// stream ended before the runs covered it.
inline constexpr const char* kRleRunPastEnd =
    "The run-length data runs past the end of the map; the file is damaged.";
inline constexpr const char* kRleCutShort = "Encountered unexpected end of file.";

// Decodes runs from the stream into map.tmap, which the caller has sized to 3 * w * h bytes,
// stopping once they cover it exactly; no byte after the last run is consumed. Fails with
// kRleRunPastEnd or kRleCutShort; stream read errors count as the stream's end, not thrown.
Outcome ReadRLE(TStream& in, tilemap& map);

} // namespace dm
