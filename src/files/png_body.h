#pragma once

#include "files/random.h"
#include "files/work_progress.h"
#include "model/tilemap.h"
#include "platform/expected.h"
#include "platform/io/stream.h"
#include "platform/pictures/pixmap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dm {

// Maps as pictures: one RGB888 pixel per cell whose channels carry glyph, foreground and
// background. The generator given is reseeded from the picture's size and the position list is
// built in the same order on both sides, so decoding replays the encoder's draws; the generator is
// left where the draws end. With scramble != 0 the cells are shuffled over the pixels, the channel
// order varies per pixel and some pixels carry noise; with scramble 0 the draws happen but change
// nothing, so the unscrambled forms below draw from a generator of their own. A generator must
// not be used by two threads at once.

// The picture of the map; null for a map without cells.
std::shared_ptr<TPixmap> EncodePNG(const tilemap& map, int32_t scramble, RandomGenerator& random);

// Whether the map can be saved as a picture at all: it must have cells, and neither side may pass
// the most a PNG picture is written with (kPngMaxSide). Told before any work, so that a map of
// one overlong row is refused at once rather than after shuffling its cells.
Outcome CheckEncodable(const tilemap& map);

// Builds the picture and saves it at path as a PNG (compression 9), through a side file like a
// saved map, so a failure leaves what was at path as it was; the reason, in words for the user,
// when it cannot be saved. The size and the path are checked before the cells are shuffled, and
// writing stops at the first write that fails. Progress covers shuffling the cells and writing
// the picture's rows.
Expected<std::shared_ptr<TPixmap>> EncodePNGFile(const tilemap& map, const std::string& path,
                                                 int32_t scramble, RandomGenerator& random,
                                                 const WorkProgress& progress = {});

// As EncodePNGFile; null when the picture cannot be saved.
std::shared_ptr<TPixmap> EncodePNG(const tilemap& map, const std::string& path, int32_t scramble,
                                   RandomGenerator& random, const WorkProgress& progress = {});

// The bytes of the PNG file that saving the picture would write; nullopt when it cannot be
// encoded, found before any work for a map that CheckEncodable refuses.
std::optional<std::vector<uint8_t>> EncodePNGBytes(const tilemap& map, int32_t scramble,
                                                   RandomGenerator& random);
// EncodePNGBytes(map, 0, ...) with a generator of its own, as the map file's picture body.
std::optional<std::vector<uint8_t>> EncodeUnscrambledPNGBytes(const tilemap& map);

// The byte length of the unscrambled PNG picture of the map, or -1 when it cannot be encoded.
int64_t pngsize(const tilemap& map);

// Writes the whole "DMTP" file image: magic, width, height, checksum, png's length as a double,
// the png bytes, then "EOF". png is EncodeUnscrambledPNGBytes(map), measured once by the caller.
void WritePNG(const tilemap& map, TStream& out, const std::vector<uint8_t>& png);

// Encodes the unscrambled picture and writes the file image as above. 1 when written, 0 when the
// picture cannot be encoded (nothing is written then).
int32_t WritePNG(const tilemap& map, TStream& out);

// A new map of the picture's size. Null when the picture does not load or has more than
// kMaxMapCells pixels (then refused before its pixels or the map are allocated).
// Progress covers loading the picture and shuffling the cells back.
std::shared_ptr<tilemap> DecodePNG(const std::string& path, int32_t scramble,
                                   RandomGenerator& random, const WorkProgress& progress = {});
std::shared_ptr<tilemap> DecodePNG(std::vector<uint8_t> png, int32_t scramble,
                                   RandomGenerator& random);
// DecodePNG(png, 0, ...) with a generator of its own, as for the map file's picture body.
std::shared_ptr<tilemap> DecodeUnscrambledPNG(std::vector<uint8_t> png);
std::shared_ptr<tilemap> DecodePNG(const TPixmap& picture, int32_t scramble,
                                   RandomGenerator& random);

} // namespace dm
