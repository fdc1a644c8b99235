#pragma once

#include "model/tilemap.h"

#include <memory>

namespace dm::icongen {

// How an icon of a given side shows the scene: its cells drawn `scale` times larger, `across` x
// `down` of them, which fill at most seven eighths of the side so that the corners can round off.
struct IconLayout {
    int scale = 1;
    int across = 0;
    int down = 0;
};

// The layout for an icon of `side` pixels and glyphs of glyphWidth x glyphHeight: the largest
// magnification at which the whole scene fits; where not even one does, the scene at its own
// size cut down to the cells that fit, and never fewer than its small form's.
IconLayout ChooseLayout(int side, int glyphWidth, int glyphHeight);

// The picture of the icon as cells: a little map in a text-mode window's double frame, with the
// player's "@" among trees, hills and water. Its full form is kSceneAcross x kSceneDown cells; a
// smaller size keeps the frame and the "@" and shows fewer of the things around it.
inline constexpr int kSceneAcross = 7;
inline constexpr int kSceneDown = 4;
inline constexpr int kSmallSceneAcross = 5;
inline constexpr int kSmallSceneDown = 3;
std::shared_ptr<tilemap> MakeScene(int across, int down);

} // namespace dm::icongen
