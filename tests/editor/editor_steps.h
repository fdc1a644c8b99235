#pragma once

#include "editor_session.h"

#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace dm::test {

// A cell away from every active region of the screen.
inline const std::string kAway = MoveToCell(100, 40);

// The screen cell showing cell (x, y) of a canvas in view from (viewx, 0).
inline std::string OverCanvas(int x, int y, int viewx = 0) {
    return MoveToCell(24 + x - viewx, 2 + y);
}

// A button held over a screen cell for one frame and let go in the next: 1 left, 2 right,
// 3 middle.
inline Script& ClickWith(Script& script, int button, const std::string& move) {
    const std::string name = std::to_string(button);
    return script.Then(move + "button down " + name + "\n").Then("button up " + name + "\n");
}

// A folder of its own for one test, emptied first, as test programs run side by side.
inline std::string FreshFolder(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

// Saves at path a map whose glyphs are the characters of the rows, in foreground 1 on
// background 2.
inline std::shared_ptr<tilemap> SaveRows(const std::string& path,
                                         const std::vector<std::string>& rows) {
    auto map =
        tilemap::Create(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
    for (int y = 0; y < map->tmaph; ++y) {
        for (int x = 0; x < map->tmapw; ++x) {
            map->SetTile(x, y, static_cast<uint8_t>(rows[y][x]), 1, 2, 1);
        }
    }
    EXPECT_EQ(Save(*map, path), 1) << path;
    return map;
}

// Every row of a map's glyphs as text.
inline std::vector<std::string> Rows(const tilemap& map) {
    std::vector<std::string> rows;
    for (int y = 0; y < map.tmaph; ++y) {
        rows.push_back(EditorSession::Row(map, 0, y, map.tmapw));
    }
    return rows;
}

} // namespace dm::test
