#include "platform/requesters/chooser_arguments.h"

#include "platform/requesters/file_filter.h"

#include <algorithm>

namespace dm {

namespace {

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string joined;
    for (const std::string& part : parts) {
        joined += joined.empty() ? "" : separator;
        joined += part;
    }
    return joined;
}

std::string GroupPatterns(const FileFilterGroup& group) {
    std::vector<std::string> patterns;
    for (const std::string& extension : group.extensions) {
        for (std::string& pattern : ExtensionPatterns(extension)) {
            if (std::find(patterns.begin(), patterns.end(), pattern) == patterns.end()) {
                patterns.push_back(std::move(pattern));
            }
        }
    }
    return Join(patterns, " ");
}

// The folder with the name after it; a folder alone keeps its closing slash.
std::string StartPath(const ChooserStart& start) {
    const bool hasSlash = !start.folder.empty() && start.folder.back() == '/';
    return start.folder + (hasSlash ? "" : "/") + start.name;
}

} // namespace

ChooserStart SplitInitialPath(std::string_view initialPath, const std::string& currentFolder) {
    const std::string path(initialPath);
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {currentFolder, path};
    }
    std::string folder = path.substr(0, slash);
    std::string name = path.substr(slash + 1);
    if (folder.empty()) {
        // "/name" lies in the root; a lone slash says there is no folder.
        return {name.empty() ? currentFolder : "/", name};
    }
    if (folder.front() != '/') {
        folder = StartPath({currentFolder, folder});
    }
    return {folder, name};
}

std::vector<std::string> ZenityArguments(const FileRequest& request,
                                         const std::string& currentFolder) {
    std::vector<std::string> arguments = {"zenity", "--file-selection"};
    if (!request.title.empty()) {
        arguments.push_back("--title=" + request.title);
    }
    if (request.save) {
        arguments.push_back("--save");
        arguments.push_back("--confirm-overwrite");
    }
    arguments.push_back("--filename=" +
                        StartPath(SplitInitialPath(request.initialPath, currentFolder)));
    for (const FileFilterGroup& group : ParseFileFilter(request.filter)) {
        arguments.push_back("--file-filter=" + group.description + " | " + GroupPatterns(group));
    }
    return arguments;
}

std::vector<std::string> KdialogArguments(const FileRequest& request,
                                          const std::string& currentFolder) {
    std::vector<std::string> arguments = {"kdialog"};
    if (!request.title.empty()) {
        arguments.push_back("--title");
        arguments.push_back(request.title);
    }
    arguments.push_back(request.save ? "--getsavefilename" : "--getopenfilename");
    // Whatever the folder or the filter start with, they are not options.
    arguments.push_back("--");
    arguments.push_back(StartPath(SplitInitialPath(request.initialPath, currentFolder)));
    std::vector<std::string> filters;
    for (const FileFilterGroup& group : ParseFileFilter(request.filter)) {
        filters.push_back(group.description + " (" + GroupPatterns(group) + ")");
    }
    if (!filters.empty()) {
        arguments.push_back(Join(filters, "|"));
    }
    return arguments;
}

} // namespace dm
