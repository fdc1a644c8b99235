#pragma once

#include "files/tilemap_file.h"
#include "model/tilemap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace dm::test {

// A fresh folder under the system's temporary directory, removed with everything in it.
class ContainerTempFolder {
  public:
    ContainerTempFolder() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("duskmarch_container_" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~ContainerTempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ContainerTempFolder(const ContainerTempFolder&) = delete;
    ContainerTempFolder& operator=(const ContainerTempFolder&) = delete;

    std::string Path(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Root() const { return path_; }

    // The names of everything in the folder, to spot files left behind.
    std::vector<std::string> Names() const { return NamesIn(path_); }

    static std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Builds file images byte by byte, integers little-endian.
class ByteBuilder {
  public:
    ByteBuilder& Text(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    ByteBuilder& Int(int32_t value) {
        const auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes_.push_back(static_cast<uint8_t>(bits >> shift));
        }
        return *this;
    }
    ByteBuilder& Double(double value) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int shift = 0; shift < 64; shift += 8) {
            bytes_.push_back(static_cast<uint8_t>(bits >> shift));
        }
        return *this;
    }
    ByteBuilder& Bytes(const std::vector<uint8_t>& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const std::vector<uint8_t>& Result() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

// Collects the messages a read reports.
struct MessageLog {
    std::vector<std::pair<std::string, std::string>> messages;

    MessageCallback Callback() {
        return [this](const std::string& title, const std::string& text) {
            messages.emplace_back(title, text);
        };
    }
};

// A map whose cells are drawn from `distinct` values with the given generator, so that small
// `distinct` gives pictures that compress well and large ones give noise.
inline std::shared_ptr<tilemap> RandomMap(std::mt19937& random, int32_t w, int32_t h,
                                          int distinct) {
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    std::uniform_int_distribution<int> value(0, distinct - 1);
    for (uint8_t& cell : map->tmap) {
        cell = static_cast<uint8_t>(value(random) * (256 / distinct));
    }
    return map;
}

} // namespace dm::test
