#pragma once

#include <cstdint>

namespace dm {

// Where everything stands on the editor's screen, in cells from the top-left. Drawing, mouse hit
// tests, start-up and the tests all place things from this one table.

// A rectangle of cells.
struct ScreenRegion {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;

    constexpr bool Contains(int32_t x, int32_t y) const {
        return x >= left && y >= top && int64_t{x} < int64_t{left} + width &&
               int64_t{y} < int64_t{top} + height;
    }
};

// One cell, or where a line of text starts.
struct ScreenCell {
    int32_t x = 0;
    int32_t y = 0;
};

// The active canvas's view window; the checkerboard behind it is as large.
inline constexpr ScreenRegion kCanvasRegion{24, 2, 64, 64};
// The list of open images.
inline constexpr ScreenRegion kImageListRegion{0, 0, 16, 10};
// The glyph and colour pickers: index i at column i mod 16 and row i div 16.
inline constexpr ScreenRegion kGlyphPickerRegion{0, 16, 16, 16};
inline constexpr ScreenRegion kColourPickerRegion{0, 36, 16, 16};
// The corner of the clip map shown beneath the pickers.
inline constexpr ScreenRegion kClipPreviewRegion{0, 56, 16, 12};
// The character and palette tables shown on request.
inline constexpr ScreenRegion kTablesRegion{7, 1, 98, 66};

// The help panel's size; it stands centred on the screen (HelpPanelRegion).
inline constexpr int32_t kHelpPanelWidth = 64;
inline constexpr int32_t kHelpPanelHeight = 33;

constexpr ScreenRegion HelpPanelRegion(int32_t screenWidth, int32_t screenHeight) {
    return {screenWidth / 2 - kHelpPanelWidth / 2, screenHeight / 2 - kHelpPanelHeight / 2,
            kHelpPanelWidth, kHelpPanelHeight};
}

// The status lines, aligned with the canvas: messages and progress above the canvas size, the
// cursor and the tile under it below the view.
inline constexpr ScreenCell kMessageLine{kCanvasRegion.left, 0};
inline constexpr ScreenCell kCanvasSizeLine{kCanvasRegion.left, 1};
inline constexpr ScreenCell kCursorLine{kCanvasRegion.left, 66};
inline constexpr ScreenCell kTileDataLine{kCanvasRegion.left, 67};

// The labels over the pickers and the cells after them that show the selection.
inline constexpr ScreenCell kSelectedLabel{1, 14};
inline constexpr ScreenCell kSelectedGlyph{14, 14};
inline constexpr ScreenCell kForegroundLabel{1, 33};
inline constexpr ScreenCell kForegroundSwatch{14, 33};
inline constexpr ScreenCell kBackgroundLabel{1, 34};
inline constexpr ScreenCell kBackgroundSwatch{14, 34};

// The flood-fill heading and its two check boxes.
inline constexpr ScreenCell kFillHeading{96, 14};
inline constexpr ScreenCell kDiagonalFillBox{96, 16};
inline constexpr ScreenCell kBleedFillBox{96, 18};

} // namespace dm
