#pragma once

#include "files/color_match.h"

#include <optional>
#include <string>

namespace dm::dtmtool {

// The palette that turns colour indices into colours and back: the image at the path given, or
// with an empty path the one that the editor's display configuration names (relative to this
// program's folder, as at the editor's start-up). Loaded at its first use, since only some
// formats need it; throws FatalError when it cannot be.
class ToolPalette {
  public:
    explicit ToolPalette(std::string path) : path_(std::move(path)) {}
    // A palette already loaded, such as the display's.
    explicit ToolPalette(const PalettePlanes& planes) : planes_(planes) {}

    const PalettePlanes& Planes();

  private:
    std::string path_;
    std::optional<PalettePlanes> planes_;
};

} // namespace dm::dtmtool
