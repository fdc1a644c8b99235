#include "platform/requesters/file_requester.h"

#include "platform/host.h"
#include "platform/io/file_system.h"
#include "platform/io/paths.h"
#include "platform/requesters/file_filter.h"
#include "platform/requesters/notify.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace dm {

namespace {

FileRequestFallback& CurrentFallback() {
    return CurrentHost().requesterFallback;
}

std::string& Folder() {
    return CurrentHost().requesterFolder;
}

bool MayReplace(const std::string& path) {
    return GetFileType(path) != kFileTypeFile ||
           Confirm(PathFileName(path) + " already exists. Do you want to replace it?", true) == 1;
}

} // namespace

std::string AddDefaultExtension(const std::string& path, std::string_view filter) {
    const std::string extension = DefaultExtension(filter);
    const size_t slash = path.find_last_of("/\\");
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    // A folder keeps its closing slash and fails to save as one, rather than gain a hidden file.
    if (extension.empty() || name.empty() || name.find('.') != std::string_view::npos) {
        return path;
    }
    return path + "." + extension;
}

std::string RequestFile(const std::string& title, const std::string& filter, bool save,
                        const std::string& initialPath) {
    SystemDriver* driver = CurrentSystemDriver();
    if (!driver) {
        return "";
    }
    FileRequest request{title, filter, save, initialPath};
    while (true) {
        const std::string chosen = driver->RequestFile(request);
        if (!save || chosen.empty()) {
            return chosen;
        }
        // The chooser asked about the name it returned, not about the one it is given here.
        std::string named = AddDefaultExtension(chosen, filter);
        if (named == chosen || MayReplace(named)) {
            return named;
        }
        request.initialPath = std::move(named);
    }
}

void SetRequesterFolder(std::string folder) {
    Folder() = std::move(folder);
}

std::string RequesterFolder() {
    if (!Folder().empty()) {
        return Folder();
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string("/") : current.string();
}

void SetFileRequestFallback(FileRequestFallback fallback) {
    CurrentFallback() = std::move(fallback);
}

std::string RequestFileThroughFallback(const FileRequest& request, const std::string& why) {
    const FileRequestFallback fallback = CurrentFallback();
    if (!fallback) {
        return "";
    }
    FileRequest asked = request;
    while (true) {
        std::string chosen = fallback(asked, why);
        if (!chosen.empty() && chosen.front() != '/') {
            chosen = (std::filesystem::path(RequesterFolder()) / chosen).lexically_normal();
        }
        // A name that RequestFile extends is asked about there, under the name it ends with.
        if (!asked.save || chosen.empty() || AddDefaultExtension(chosen, asked.filter) != chosen ||
            MayReplace(chosen)) {
            return chosen;
        }
        asked.initialPath = std::move(chosen);
    }
}

} // namespace dm
