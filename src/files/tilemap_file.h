#pragma once

#include "model/tilemap.h"
#include "platform/expected.h"
#include "platform/io/stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dm {

// Receives a message meant for the user: the editor shows it in a popup, command-line tools print
// it. Every message of the tile map file reader carries the title kReadRefusalTitle.
using MessageCallback = std::function<void(const std::string& title, const std::string& text)>;

inline constexpr const char* kReadRefusalTitle = "Error!";

// Writes `map` to `path` as a .dtm file with the smaller of the run-length and PNG bodies (ties go
// to run-length) and prints the four body-size statistics lines on standard output. The file
// appears complete or not at all: a failed save leaves an existing file at `path` as it was.
// Returns 1 when written, 0 when not; never throws.
int32_t Save(const tilemap& map, const std::string& path);

// Save, telling why a save failed, in the system's words where it has them ("No space left on
// device").
Outcome SaveTilemap(const tilemap& map, const std::string& path);

// A map read from a file together with the magic that named its body: "DMTM" (uncompressed),
// "DMTR" (run-length) or "DMTP" (PNG). `map` is null when the file was refused.
struct LoadedTilemap {
    std::shared_ptr<tilemap> map;
    std::string format;
};

// Reads the .dtm file at `path`. Returns null, after reporting why through `report`, when the
// file is damaged, truncated, tampered with or of an impossible size; returns null silently when
// it cannot be opened. Never throws.
std::shared_ptr<tilemap> Read(const std::string& path, const MessageCallback& report);

// Opens the .dtm file at path for ReadTilemapStream: null when it cannot be opened, which Read
// passes over in silence; fails with the reason Read reports when there is no memory to take in
// a file that cannot seek (a pipe).
Expected<std::shared_ptr<TStream>> OpenTilemapFile(const std::string& path);

// Reads a .dtm file from the stream as Read does, also telling which body it holds, and closes
// the stream. Fails with the reason Read reports. Never throws.
Expected<LoadedTilemap> ReadTilemapStream(TStream& in);

} // namespace dm
