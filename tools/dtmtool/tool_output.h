#pragma once

#include "arguments.h"
#include "files/tilemap_file.h"

#include <optional>
#include <string>

namespace dm::dtmtool {

// Exit statuses of every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// "dtmtool: text" on standard error. Messages quote bytes read from files, so the bytes that a
// terminal would act on are shown as "\xNN" (EscapeForTerminal).
void PrintError(const std::string& text);

// Reads a tilemap file, printing on standard error why it was refused, including a file that
// cannot be opened at all, which the reader itself passes over in silence.
LoadedTilemap ReadOrReport(const std::string& path);

// Ends a command before its work: prints its usage on standard output when help was asked for, or
// what is wrong with the arguments and the usage on standard error. Empty when the command should
// go on.
std::optional<int> FinishEarly(const std::string& usage, const Expected<Arguments>& arguments);

} // namespace dm::dtmtool
