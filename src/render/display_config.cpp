#include "render/display_config.h"

#include "platform/fatal_error.h"
#include "platform/io/open_stream.h"
#include "platform/io/paths.h"
#include "platform/io/program_folder.h"
#include "platform/text/string_to_int.h"
#include "render/config_tokenizer.h"

#include <algorithm>

namespace dm {

namespace {

std::string ToLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

void ProcessLine(const std::string& line, const std::string& where, DisplayConfig& config) {
    ConfigArgs args;
    const std::string keyword = ParseConfigLine(line, where, args);
    const std::string key = ToLower(keyword);
    const std::string& value = args.slot[0];
    if (key == "width") {
        config.width = StringToInt(value);
    } else if (key == "height") {
        config.height = StringToInt(value);
    } else if (key == "tileset") {
        config.tileset = value;
    } else if (key == "pallet") {
        config.pallet = value;
    } else if (key == "title") {
        config.title = value;
    } else if (key == "scale") {
        config.scale = StringToInt(value);
    } else if (key == "autosave") {
        config.autosave = StringToInt(value);
    } else {
        throw FatalError("Unrecognized keyword '" + keyword + "' " + where);
    }
    if (args.count != 1) {
        throw FatalError("Incorrect number of arguments " + where);
    }
}

} // namespace

std::string ResourcePath(const DisplayConfig& config, const std::string& path) {
    return PathFromFolder(config.resourceFolder, PathFromBackslashes(path));
}

void LoadDisplayConfig(const std::string& path, DisplayConfig& config) {
    const std::shared_ptr<TStream> stream = OpenReadStream(PathFromBackslashes(path));
    if (!stream) {
        throw FatalError("Failed to read " + path);
    }
    int64_t lineNumber = 0;
    do {
        ++lineNumber;
        const std::string line = stream->ReadLine();
        // Short lines and lines opening with a comment mark are skipped unread.
        if (line.size() > 3 && !line.starts_with("//")) {
            ProcessLine(line, "on line " + std::to_string(lineNumber) + " of " + path, config);
        }
    } while (!stream->Eof());
    config.loaded = true;
}

} // namespace dm
