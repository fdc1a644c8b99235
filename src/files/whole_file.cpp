#include "files/whole_file.h"

#include "files/side_file_writer.h"

#include <memory>

namespace dm {

Outcome WriteWholeFile(const std::string& path, const std::function<void(TStream&)>& write) {
    Expected<std::unique_ptr<SideFileWriter>> writer = SideFileWriter::Open(path);
    if (!writer) {
        return writer.Error();
    }
    Outcome written;
    try {
        write((*writer)->Stream());
    } catch (const TStreamException& error) {
        written = Failure{error.what()};
    }
    return (*writer)->Commit(written);
}

} // namespace dm
