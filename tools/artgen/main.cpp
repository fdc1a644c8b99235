// Writes the default tileset sheets and palette: artgen FONT.psf.gz OUTPUT_FOLDER
#include "art_images.h"
#include "files/glyph_sheet.h"
#include "palette_design.h"
#include "platform/pictures/png_codec.h"
#include "psf_font.h"
#include "tileset_glyphs.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr int kCompression = 9;

dm::Outcome Write(const std::shared_ptr<dm::TPixmap>& picture, const std::string& path) {
    if (!picture || !dm::WritePixmapPNG(*picture, path, kCompression)) {
        return dm::Failure{"cannot write " + path};
    }
    std::printf("wrote %s\n", path.c_str());
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: artgen FONT.psf.gz OUTPUT_FOLDER\n");
        return 2;
    }
    const dm::Expected<dm::PsfFont> font = dm::LoadPsfFont(argv[1]);
    const dm::Expected<dm::GlyphSet> glyphs =
        font ? dm::BuildTilesetGlyphs(*font) : dm::Expected<dm::GlyphSet>(font.Error());
    if (!glyphs) {
        std::fprintf(stderr, "artgen: %s\n", glyphs.Why().c_str());
        return 1;
    }
    const std::string folder = std::string(argv[2]) + "/";
    const std::string tileset = folder + "curses.png";
    // The background sheet is the exact complement of the foreground sheet.
    const std::pair<std::shared_ptr<dm::TPixmap>, std::string> pictures[] = {
        {dm::RenderSheet(*glyphs, kWhite, kBlack), dm::ForegroundSheetPath(tileset)},
        {dm::RenderSheet(*glyphs, kBlack, kWhite), dm::BackgroundSheetPath(tileset)},
        {dm::RenderPalette(dm::DesignPalette()), folder + "pallet.png"},
    };
    for (const auto& [picture, path] : pictures) {
        if (const dm::Outcome written = Write(picture, path); !written) {
            std::fprintf(stderr, "artgen: %s\n", written.Why().c_str());
            return 1;
        }
    }
    return 0;
}
