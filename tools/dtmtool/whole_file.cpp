#include "whole_file.h"

#include "files/side_file_writer.h"

#include <memory>

namespace dm::dtmtool {

Outcome WriteWholeFile(const std::string& path, const std::function<void(TStream&)>& write) {
    std::string why;
    const std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(path, &why);
    if (!writer) {
        return Failure{why};
    }
    try {
        write(writer->Stream());
    } catch (const TStreamException& error) {
        why = writer->Failure();
        return Failure{why.empty() ? error.what() : why};
    }
    if (!writer->Commit()) {
        why = writer->Failure();
        return Failure{why.empty() ? "the file could not be written" : why};
    }
    return {};
}

} // namespace dm::dtmtool
