#include "whole_file.h"

#include "files/side_file_writer.h"

#include <memory>

namespace dm::dtmtool {

bool WriteWholeFile(const std::string& path, const std::function<void(TStream&)>& write) {
    const std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(path);
    if (!writer) {
        return false;
    }
    try {
        write(writer->Stream());
    } catch (const TStreamException&) {
        return false;
    }
    return writer->Commit();
}

} // namespace dm::dtmtool
