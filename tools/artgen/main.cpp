// Writes the default tileset sheets and palette: artgen FONT.psf.gz OUTPUT_FOLDER
#include "art_images.h"
#include "files/glyph_sheet.h"
#include "palette_design.h"
#include "platform/pictures/png_codec.h"
#include "psf_font.h"
#include "tileset_glyphs.h"

#include <cstdio>
#include <string>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr int kCompression = 9;

bool Write(const std::shared_ptr<dm::TPixmap>& picture, const std::string& path) {
    if (!picture || !dm::WritePixmapPNG(*picture, path, kCompression)) {
        std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("wrote %s\n", path.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: artgen FONT.psf.gz OUTPUT_FOLDER\n");
        return 2;
    }
    std::string error;
    const auto font = dm::LoadPsfFont(argv[1], error);
    const auto glyphs = font ? dm::BuildTilesetGlyphs(*font, error) : std::nullopt;
    if (!glyphs) {
        std::fprintf(stderr, "artgen: %s\n", error.c_str());
        return 1;
    }
    const std::string folder = std::string(argv[2]) + "/";
    const std::string tileset = folder + "curses.png";
    // The background sheet is the exact complement of the foreground sheet.
    const bool written =
        Write(dm::RenderSheet(*glyphs, kWhite, kBlack), dm::ForegroundSheetPath(tileset)) &&
        Write(dm::RenderSheet(*glyphs, kBlack, kWhite), dm::BackgroundSheetPath(tileset)) &&
        Write(dm::RenderPalette(dm::DesignPalette()), folder + "pallet.png");
    return written ? 0 : 1;
}
