#pragma once

#include "model/tilemap.h"
#include "platform/expected.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The file an autosave leaves for a canvas with unsaved work: the canvas's name and file beside
// its cells, so that a later session can open it again as it was.
//
// Layout, integers 32-bit little-endian: the magic "DMRECOVR", the format version (1), width,
// height, the length and bytes of the canvas's path (its name, or the full path it was saved to),
// the length and bytes of the file it was opened from or saved to ("" for none), the length and
// bytes of the run-length body of its cells, the CRC-32 of every byte before it, and "EOF". The
// check sum and the trailer tell a whole file from one cut short or damaged.
namespace dm {

inline constexpr const char* kRecoveryMagic = "DMRECOVR";
inline constexpr int32_t kRecoveryVersion = 1;
// The longest path either text may hold; longer ones mark a damaged file.
inline constexpr int32_t kMaxRecoveryText = 65536;
// Why a file was not read when memory ran short, which says nothing about the file.
inline constexpr const char* kNoMemoryToRead = "not enough memory to read it";

struct RecoveryRecord {
    std::string path;
    std::string filePath;
    std::shared_ptr<tilemap> image;
};

// The whole file for the record. The image must have an allowed size.
std::vector<uint8_t> EncodeRecovery(const RecoveryRecord& record);

// The record a file's bytes hold, or why they are refused: "not a recovery file", or a damaged,
// cut short or newer one, or kNoMemoryToRead.
Expected<RecoveryRecord> DecodeRecovery(std::vector<uint8_t> bytes);

// Writes the record at destination through the side-file writer, so that the path holds the
// previous file or the whole new one. Never throws.
Outcome WriteRecoveryFile(const RecoveryRecord& record, const std::string& destination);

// Reads and checks the file at path; the system's reason when it cannot be read. Never throws.
Expected<RecoveryRecord> ReadRecoveryFile(const std::string& path);

} // namespace dm
