#include "icon_scene.h"

#include <algorithm>
#include <array>

namespace dm::icongen {

namespace {

struct Cell {
    uint8_t glyph;
    uint8_t fg;
    uint8_t bg;
};

// Glyphs of code page 437 and indices of the shipped palette.
constexpr Cell kHill{30, 7, 23};    // light grey triangle on charcoal
constexpr Cell kTree{5, 4, 18};     // green club on deep green
constexpr Cell kWater{247, 14, 10}; // sky waves on navy
constexpr Cell kPlayer{64, 5, 18};  // yellow "@" on deep green
constexpr uint8_t kFrameFg = 30;    // pale cyan
constexpr uint8_t kFrameBg = 1;     // ink

// What the full scene's frame encloses; the player stands at kPlayerColumn of the lower row.
constexpr int kInsideAcross = kSceneAcross - 2;
constexpr int kInsideDown = kSceneDown - 2;
constexpr int kPlayerColumn = 2;
constexpr std::array<std::array<Cell, kInsideAcross>, kInsideDown> kInside = {{
    {kHill, kHill, kTree, kTree, kWater},
    {kHill, kTree, kPlayer, kWater, kWater},
}};

} // namespace

IconLayout ChooseLayout(int side, int glyphWidth, int glyphHeight) {
    const int room = side * 7 / 8;
    const int scale =
        std::min(room / (kSceneAcross * glyphWidth), room / (kSceneDown * glyphHeight));
    if (scale >= 1) {
        return {scale, kSceneAcross, kSceneDown};
    }
    return {1, std::clamp(room / glyphWidth, kSmallSceneAcross, kSceneAcross),
            std::clamp(room / glyphHeight, kSmallSceneDown, kSceneDown)};
}

std::shared_ptr<tilemap> MakeScene(int across, int down) {
    across = std::clamp(across, kSmallSceneAcross, kSceneAcross);
    down = std::clamp(down, kSmallSceneDown, kSceneDown);
    auto scene = tilemap::Create(across, down);
    scene->Fill(0, kFrameFg, kFrameBg, 1);
    const int right = across - 1;
    const int bottom = down - 1;
    scene->SetTiles(1, 0, across - 2, 1, 205, kFrameFg, kFrameBg, 1);
    scene->SetTiles(1, bottom, across - 2, 1, 205, kFrameFg, kFrameBg, 1);
    scene->SetTiles(0, 1, 1, down - 2, 186, kFrameFg, kFrameBg, 1);
    scene->SetTiles(right, 1, 1, down - 2, 186, kFrameFg, kFrameBg, 1);
    scene->SetTile(0, 0, 201, kFrameFg, kFrameBg, 1);
    scene->SetTile(right, 0, 187, kFrameFg, kFrameBg, 1);
    scene->SetTile(0, bottom, 200, kFrameFg, kFrameBg, 1);
    scene->SetTile(right, bottom, 188, kFrameFg, kFrameBg, 1);

    // A smaller frame shows the part of the inside around the player, from the player's row up.
    const int insideAcross = across - 2;
    const int insideDown = down - 2;
    const int firstColumn =
        std::clamp(kPlayerColumn - insideAcross / 2, 0, kInsideAcross - insideAcross);
    const int firstRow = kInsideDown - insideDown;
    for (int y = 0; y < insideDown; ++y) {
        for (int x = 0; x < insideAcross; ++x) {
            const Cell& cell = kInside[firstRow + y][firstColumn + x];
            scene->SetTile(1 + x, 1 + y, cell.glyph, cell.fg, cell.bg, 1);
        }
    }
    return scene;
}

} // namespace dm::icongen
