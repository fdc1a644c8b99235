#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dm {

// One group of a file requester's filter: what the user sees and the extensions it admits,
// without their dots; "*" admits every file.
struct FileFilterGroup {
    std::string description;
    std::vector<std::string> extensions;
};

// Reads a filter written "Description:ext,ext;Description:ext". A filter without any ":" lists
// the extensions of one group described as "Files", and so does a later group without one.
// Blanks around names are dropped; groups without an extension are left out. Descriptions lose
// the "|" and control characters that the choosers' own filter syntax would read as separators,
// and extensions lose blanks and brackets for the same reason.
std::vector<FileFilterGroup> ParseFileFilter(std::string_view filter);

// The name patterns that match an extension: "*" for every file, otherwise "*.ext" and, for an
// extension with letters, its upper-case twin, since names on this system are case-sensitive.
std::vector<std::string> ExtensionPatterns(std::string_view extension);

// The extension a save requester gives a name typed without one: the first group's first
// extension, or "" when the filter has none or that extension is a wildcard.
std::string DefaultExtension(std::string_view filter);

} // namespace dm
