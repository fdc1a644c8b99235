#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dm::seeds {

// One starting input for a fuzz target: a file name and its bytes.
struct Seed {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Valid pictures of every kind a PNG file can hold: grey of 1 to 16 bits, grey with alpha,
// palette of 1 to 8 bits, RGB and RGBA of 8 and 16 bits, transparency chunks and interlacing.
// The program's own encoder makes the 8-bit kinds it writes; libpng itself makes the others.
std::vector<Seed> PictureSeeds();

// Maps encoded as pictures, plain and scrambled, of shapes that take different paths through the
// cell decoder (one cell, one row, one column, several bands).
std::vector<Seed> CellPictureSeeds();

// Map files with each body: uncompressed (DMTM), run-length (DMTR) and picture (DMTP).
std::vector<Seed> MapFileSeeds();

// .xp images written by the program, and one of two layers as bytes to be packed.
std::vector<Seed> XpSeeds();

// Recovery files of maps of those shapes, with names and without.
std::vector<Seed> RecoverySeeds();

// Whole display configuration files: every keyword, comments, quotes, tabs and CR LF endings.
std::vector<Seed> DisplayConfigSeeds();

// Single configuration lines, one per file.
std::vector<Seed> ConfigLineSeeds();

// Inputs for the text insertion target, laid out as insert_string_input.h describes.
std::vector<Seed> InsertStringSeeds();

// Replay scripts of the headless driver.
std::vector<Seed> ReplaySeeds();

// Label sizes and texts for the label layout, laid out as its fuzz target reads them.
std::vector<Seed> LabelSeeds();

// Every kind above under the folder name scripts/fuzz.sh and fuzz/CMakeLists.txt use for it.
struct SeedKind {
    std::string folder;
    std::vector<Seed> (*make)();
};
const std::vector<SeedKind>& SeedKinds();

} // namespace dm::seeds
