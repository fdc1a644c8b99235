#include "editor/screen_layout.h"

#include "ui/interface_text.h"

#include <array>

namespace dm {

namespace {

const std::string kTenSpaces(10, ' ');
// "Canvas size: 1024x1024" and the ten spaces after it.
constexpr int32_t kLongestSizeLine = 32;

} // namespace

std::shared_ptr<tilemap> MakeTablesMap() {
    auto tables = tilemap::Create(kTablesRegion.width, kTablesRegion.height);
    tables->Fill(0, 0, 9, 0);
    tables->transparentcolor = -1;
    WriteText(*tables, 1, 0, "Character table:", 255, 255);
    WriteText(*tables, 1, 32, "Pallet table:", 255, 255);
    for (int32_t i = 0; i < 256; ++i) {
        const int32_t x = (i % 16) * 6 + 1;
        const std::string number = " " + std::to_string(i);
        WriteText(*tables, x, (i / 16) * 2 + 1, std::string(1, static_cast<char>(i)) + number, 24,
                  23);
        const int32_t row = (i / 16) * 2 + 33;
        WriteText(*tables, x, row, "\xDB" + number, 24, 9);
        tables->SetColors(x, row, 1, 1, static_cast<uint8_t>(i), 255, 0);
    }
    return tables;
}

std::string HelpText() {
    const std::string arrows =
        std::string("[") + '\x18' + "][" + '\x19' + "][" + '\x1B' + "][" + '\x1A' + "]";
    const std::array<std::string, kHelpPanelHeight> lines = {
        "   == MOUSE CONTROLS GUIDE ==  ",
        "Left click on the character pallet to select a tile to draw",
        "with. Left click the color pallet to select a foreground color,",
        "right click to select a background color. Left click on the",
        "canvas to draw tiles, middle click to perform a flood fill. Hold",
        "shift, left click, and drag to select a portion of the canvas.",
        "Right click for eyedropper to sample a tile from the canvas.",
        "",
        "",
        "   == KEYBOARD CONTROLS & SHORTCUTS ==  ",
        "[Shift+n] create a new image",
        "[s] save the active image",
        "[o] load an image from a file",
        "[Shift+e] export image as a PNG",
        "[Shift+k] encode image as a PNG",
        "[Shift+i] import an encoded PNG",
        "[Shift+r] resize the active image canvas",
        "[Shift+x] close the active image",
        "[Shift+c] copy the copied selection to the clipboard as text",
        "[z] single level undo",
        "[V] paste data to the canvas at the cursor on release",
        "[Shift+f] fill the entire canvas with the selected tile",
        "[Shift+t] enter text mode to type characters onto the canvas",
        "[Tab] cycle through images to switch which is active",
        "[Shift+b] toggle display of character and pallet tables",
        arrows + " scroll the canvas",
        "",
        "Hold [V] to see where the paste goes; it is made on release.",
        "[Shift+v] paste the clipboard's text in the selected colours",
        "[Ctrl+z] undo a step; [Ctrl+y] or [Ctrl+Shift+z] redo it",
        "[Ctrl+left drag] draw a line, with Shift a box; box lines join",
        "[Ctrl+middle click] replace every tile like the clicked one",
        "[Wheel] scroll the canvas up and down, with Shift sideways",
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + '\xFF';
    }
    return text;
}

std::shared_ptr<tilemap> MakeHelpMap() {
    auto help = tilemap::Create(kHelpPanelWidth, kHelpPanelHeight);
    help->Fill(0, 0, 15, 0);
    gadget::CreateLabel(HelpText(), 0, 0, kHelpPanelWidth, kHelpPanelHeight, nullptr)
        ->draw(*help, 0, 0);
    return help;
}

std::shared_ptr<tilemap> MakeCheckerMap() {
    auto checker = tilemap::Create(kCanvasRegion.width, kCanvasRegion.height);
    for (int32_t y = 0; y < kCanvasRegion.height; ++y) {
        for (int32_t x = 0; x < kCanvasRegion.width; ++x) {
            checker->SetTile(x, y, 176, (x + y) % 2 == 1 ? 9 : 8, 1, 0);
        }
    }
    return checker;
}

std::shared_ptr<tilemap> MakeCharPicker() {
    auto picker = tilemap::Create(kGlyphPickerRegion.width, kGlyphPickerRegion.height);
    picker->Fill(0, 8, 9, 0);
    picker->InsertCharTable(0, 0);
    return picker;
}

std::shared_ptr<tilemap> MakeColorPicker() {
    auto picker = tilemap::Create(kColourPickerRegion.width, kColourPickerRegion.height);
    picker->InsertColorTable(0, 0);
    return picker;
}

void WritePickerLabels(tilemap& screenmap) {
    WriteText(screenmap, kSelectedLabel.x, kSelectedLabel.y, "Selected:   [ ]", 255, 255);
    WriteText(screenmap, kForegroundLabel.x, kForegroundLabel.y, "Foreground: [ ]", 255, 255);
    WriteText(screenmap, kBackgroundLabel.x, kBackgroundLabel.y, "Background: [ ]", 255, 255);
}

void WriteCanvasSizeLine(EditorState& state) {
    if (!state.activecanvas) {
        // No canvas, no size: the cells go back to the screen's own blank ones.
        state.screenmap->SetTiles(kCanvasSizeLine.x, kCanvasSizeLine.y, kLongestSizeLine, 1, 0, 0,
                                  255, 0);
        return;
    }
    const canvas& active = *state.activecanvas;
    WriteText(*state.screenmap, kCanvasSizeLine.x, kCanvasSizeLine.y,
              "Canvas size: " + std::to_string(active.w) + "x" + std::to_string(active.h) +
                  kTenSpaces,
              14, 255);
}

void WriteCursorLines(EditorState& state) {
    WriteText(*state.screenmap, kCursorLine.x, kCursorLine.y,
              "Cursor coords: " + std::to_string(state.cursorx) + "," +
                  std::to_string(state.cursory) + kTenSpaces,
              14, 9);
    uint8_t glyph = 0, fg = 0, bg = 0;
    state.activecanvas->img->GrabTile(state.cursorx, state.cursory, glyph, fg, bg);
    WriteText(*state.screenmap, kTileDataLine.x, kTileDataLine.y,
              "Tile data: " + std::to_string(glyph) + "," + std::to_string(fg) + "," +
                  std::to_string(bg) + kTenSpaces,
              14, 9);
}

int32_t HelpColumn(const EditorState& state) {
    return HelpPanelRegion(state.display.config.width, state.display.config.height).left;
}

int32_t HelpRow(const EditorState& state) {
    return HelpPanelRegion(state.display.config.width, state.display.config.height).top;
}

} // namespace dm
