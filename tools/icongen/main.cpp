// Draws the program's icon from the shipped tileset and palette at the sizes asked, into the
// hicolor theme's layout: icongen TILESET PALETTE OUTPUT_FOLDER SIDE...
#include "icon_picture.h"
#include "icon_scene.h"

#include "files/image_export.h"
#include "platform/fatal_error.h"
#include "platform/pictures/png_codec.h"
#include "render/palette.h"
#include "render/tileset.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr int kCompression = 9;

// The icon of `side` pixels: the scene rendered by the map export, then framed.
int WriteIcon(const dm::ExportLook& look, int side, const std::filesystem::path& folder) {
    const dm::icongen::IconLayout layout =
        dm::icongen::ChooseLayout(side, look.GlyphWidth, look.GlyphHeight);
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    const std::filesystem::path target = folder / "hicolor" / size / "apps" / "duskmarch.png";
    std::error_code ignored; // a folder that cannot be made fails the export below
    std::filesystem::create_directories(target.parent_path(), ignored);
    const std::string rendered = (folder / "scene.png").string();
    const dm::Outcome exported = dm::ExportPNG(*dm::icongen::MakeScene(layout.across, layout.down),
                                               rendered, kCompression, look);
    const std::shared_ptr<dm::TPixmap> scene = exported ? dm::LoadPixmap(rendered) : nullptr;
    std::filesystem::remove(rendered, ignored);
    const std::shared_ptr<dm::TPixmap> icon =
        scene ? dm::icongen::FrameIcon(*scene, layout.scale, side) : nullptr;
    if (!icon || !dm::WritePixmapPNG(*icon, target.string(), kCompression)) {
        std::fprintf(stderr, "icongen: cannot make %s: %s\n", target.c_str(),
                     exported ? "cannot write it" : exported.Why().c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<int> sides;
    for (size_t i = 3; i < args.size(); ++i) {
        int side = 0;
        const auto [end, error] =
            std::from_chars(args[i].data(), args[i].data() + args[i].size(), side);
        if (error != std::errc() || end != args[i].data() + args[i].size() || side < 16 ||
            side > 1024) {
            sides.clear();
            break;
        }
        sides.push_back(side);
    }
    if (sides.empty()) {
        std::fprintf(stderr, "usage: icongen TILESET PALETTE OUTPUT_FOLDER SIDE...\n"
                             "(each SIDE from 16 to 1024 pixels)\n");
        return 2;
    }
    return dm::RunReportingFatal([&args, &sides] {
        dm::DisplayConfig config;
        config.tileset = args[0];
        config.pallet = args[1];
        const dm::Tileset tileset = dm::LoadTileset(dm::kUseDefaultPath, config);
        dm::ExportLook look;
        look.tilesetPath = config.tileset;
        look.GlyphWidth = tileset.GlyphWidth;
        look.GlyphHeight = tileset.GlyphHeight;
        look.palette = dm::LoadPalette(dm::kUseDefaultPath, config).planes;
        int status = 0;
        for (int side : sides) {
            status |= WriteIcon(look, side, args[2]);
        }
        return status;
    });
}
