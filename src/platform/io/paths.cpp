#include "platform/io/paths.h"

#include <algorithm>

namespace dm {

namespace {

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsRoot(std::string_view path) {
    return path == "/" || path == "//" ||
           (path.size() == 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '/');
}

bool IsDotName(std::string_view name) {
    return name == "." || name == "..";
}

std::string_view LastName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string NormalizePath(std::string_view path) {
    std::string result;
    result.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        const bool keepsNetworkPrefix = i == 1;
        if (c == '/' && !result.empty() && result.back() == '/' && !keepsNetworkPrefix) {
            continue;
        }
        result.push_back(c);
    }
    if (result.size() > 1 && result.back() == '/' && !IsRoot(result)) {
        result.pop_back();
    }
    return result;
}

std::string PathFromBackslashes(std::string_view path) {
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string PathNoExtension(std::string_view path) {
    std::string normal = NormalizePath(path);
    const size_t dot = normal.rfind('.');
    if (dot == std::string::npos || normal.find('/', dot) != std::string::npos ||
        IsDotName(LastName(normal))) {
        return normal;
    }
    normal.erase(dot);
    return normal;
}

std::string PathFileName(std::string_view path) {
    return std::string(LastName(NormalizePath(path)));
}

std::string PathBaseName(std::string_view path) {
    return PathFileName(PathNoExtension(path));
}

std::string LowerExtension(std::string_view path) {
    const std::string name = PathFileName(path);
    std::string extension = name.substr(PathNoExtension(name).size());
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return extension;
}

std::string PathDirectory(std::string_view path) {
    const std::string normal = NormalizePath(path);
    if (IsRoot(normal) || IsDotName(normal)) {
        return normal;
    }
    const size_t slash = normal.rfind('/');
    if (slash == std::string::npos) {
        return "";
    }
    const std::string withSlash = normal.substr(0, slash + 1);
    return IsRoot(withSlash) ? withSlash : normal.substr(0, slash);
}

} // namespace dm
