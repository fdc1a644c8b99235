#include "seeds.h"

#include <filesystem>
#include <fstream>
#include <iostream>

// Writes the starting inputs of the fuzz targets into one folder per kind under the folder named
// on the command line.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: seedgen FOLDER\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    for (const auto& kind : dm::seeds::SeedKinds()) {
        const std::filesystem::path folder = root / kind.folder;
        std::filesystem::create_directories(folder);
        for (const auto& seed : kind.make()) {
            std::ofstream out(folder / seed.name, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(seed.bytes.data()),
                      static_cast<std::streamsize>(seed.bytes.size()));
            if (!out) {
                std::cerr << "seedgen: cannot write " << (folder / seed.name).string() << "\n";
                return 1;
            }
        }
    }
    return 0;
}
