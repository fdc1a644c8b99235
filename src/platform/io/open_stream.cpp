#include "platform/io/open_stream.h"

#include <array>
#include <vector>

#include "platform/io/c_stream.h"
#include "platform/io/memory_stream.h"

namespace dm {

namespace {

bool NamesProtocol(const std::string& path) {
    return path.find("::") != std::string::npos;
}

std::shared_ptr<TStream> ReadWholeIntoMemory(TStream& device) {
    std::vector<uint8_t> bytes;
    std::array<uint8_t, 64 * 1024> chunk{};
    while (true) {
        const int64_t moved = device.Read(chunk.data(), static_cast<int64_t>(chunk.size()));
        if (moved <= 0) {
            break;
        }
        if (static_cast<int64_t>(bytes.size()) + moved > kMaxUnpositionedBytes) {
            return nullptr;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + moved);
    }
    return std::make_shared<TMemoryStream>(std::move(bytes));
}

} // namespace

std::shared_ptr<TStream> OpenReadStream(const std::string& path) {
    if (NamesProtocol(path)) {
        return nullptr;
    }
    auto file = TCStream::OpenFile(path, true, false);
    if (file && file->Pos() < 0) {
        return ReadWholeIntoMemory(*file);
    }
    return file;
}

std::shared_ptr<TStream> OpenWriteStream(const std::string& path) {
    if (NamesProtocol(path)) {
        return nullptr;
    }
    return TCStream::OpenFile(path, false, true);
}

} // namespace dm
