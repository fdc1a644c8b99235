#include "editor/undo_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>

namespace dm {
namespace {

// A w x h map of cells from a fixed random sequence, so that no two neighbours are alike.
std::shared_ptr<tilemap> Noise(int32_t w, int32_t h, uint32_t seed = 7) {
    auto map = tilemap::Create(w, h);
    std::mt19937 random(seed);
    for (uint8_t& byte : map->tmap) {
        byte = static_cast<uint8_t>(random());
    }
    map->transparentcolor = 255;
    return map;
}

bool SameImage(const tilemap& a, const tilemap& b) {
    return a.tmapw == b.tmapw && a.tmaph == b.tmaph && a.tmap == b.tmap &&
           a.transparentcolor == b.transparentcolor;
}

TEST(CellChanges, TakeAMapBackAndForthOverAnyEdit) {
    // Each edit works on a copy of the map, or puts another map in its place.
    struct Case {
        const char* what;
        std::function<void(std::shared_ptr<tilemap>&)> edit;
    };
    const auto resized = [](int32_t w, int32_t h) {
        return [w, h](std::shared_ptr<tilemap>& map) {
            auto made = tilemap::Create(w, h);
            made->transparentcolor = map->transparentcolor;
            tilemap::CopyRect(*map, 0, 0, map->tmapw, map->tmaph, *made, 0, 0, 1);
            map = made;
        };
    };
    const Case cases[] = {
        {"first cell", [](auto& map) { map->SetTile(0, 0, 1, 2, 3, 1); }},
        {"last cell's background", [](auto& map) { map->tmap.back() ^= 1; }},
        {"scattered cells and a run",
         [](auto& map) {
             for (int i : {3, 4, 5, 17, 40, 41, 99}) {
                 map->SetTile(i % map->tmapw, i / map->tmapw, 255, 255, 255, 1);
             }
             map->SetTiles(2, 5, 6, 1, 'x', 9, 9, 1);
         }},
        {"every cell", [](auto& map) { map->Fill(65, 0, 255, 1); }},
        {"grown", resized(13, 12)},
        {"shrunk", resized(3, 2)},
        {"the same cells in another shape", resized(8, 10)},
    };
    const auto before = Noise(10, 8);
    for (const Case& c : cases) {
        std::shared_ptr<tilemap> after = before->Copy();
        c.edit(after);
        const CellChanges changes = CellChanges::Between(*before, *after);
        EXPECT_FALSE(changes.Empty()) << c.what;
        std::shared_ptr<tilemap> map = after->Copy();
        changes.Undo(map);
        EXPECT_TRUE(SameImage(*map, *before)) << c.what;
        changes.Redo(map);
        EXPECT_TRUE(SameImage(*map, *after)) << c.what;
    }
    EXPECT_TRUE(CellChanges::Between(*before, *before->Copy()).Empty());
}

TEST(CellChanges, KeepRunsOfEqualCellsAndUnchangedCellsSmall) {
    // A whole 1024 x 1024 map filled over another fill, and one cell drawn on it.
    auto blank = tilemap::Create(1024, 1024);
    auto filled = blank->Copy();
    filled->Fill(219, 4, 5, 1);
    EXPECT_LT(CellChanges::Between(*blank, *filled).Bytes(), 100u);
    auto drawn = filled->Copy();
    drawn->SetTile(700, 900, 1, 2, 3, 1);
    EXPECT_LT(CellChanges::Between(*filled, *drawn).Bytes(), 100u);
    // Over noise each cell before is kept apart: at most a count and three bytes a cell.
    const auto noise = Noise(1024, 1024);
    const size_t overNoise = CellChanges::Between(*noise, *filled).Bytes();
    EXPECT_GT(overNoise, size_t{3} << 20);
    EXPECT_LT(overNoise, size_t{4} << 20 | 200);
}

// A history of an image edited by writing glyph g into cell g of a 16 x 16 map, for g from 1.
struct Edited {
    std::shared_ptr<tilemap> image = tilemap::Create(16, 16);
    UndoHistory history;
    explicit Edited(UndoHistory made = UndoHistory()) : history(std::move(made)) {
        history.Note(*image);
    }
    void Edit(int g) {
        image->SetTile(g % 16, g / 16, static_cast<uint8_t>(g), 0, 0, 1);
        history.Note(*image);
    }
    int Drawn() const {
        int count = 0;
        for (int i = 0; i < 256; ++i) {
            count += image->tmap[i] != 0 ? 1 : 0;
        }
        return count;
    }
};

TEST(UndoHistory, UndoesAndRedoesStepByStepAndANewStepEndsTheRedos) {
    Edited edited;
    EXPECT_FALSE(edited.history.Undo(edited.image));
    edited.history.Note(*edited.image); // nothing changed: no step
    for (int g = 1; g <= 5; ++g) {
        edited.Edit(g);
    }
    EXPECT_EQ(edited.history.UndoCount(), 5u);
    EXPECT_TRUE(edited.history.Undo(edited.image));
    EXPECT_TRUE(edited.history.Undo(edited.image));
    EXPECT_EQ(edited.Drawn(), 3);
    EXPECT_TRUE(edited.history.Redo(edited.image));
    EXPECT_EQ(edited.Drawn(), 4);
    EXPECT_EQ(edited.history.UndoCount(), 4u);
    EXPECT_EQ(edited.history.RedoCount(), 1u);
    edited.Edit(9);
    EXPECT_EQ(edited.history.RedoCount(), 0u);
    EXPECT_FALSE(edited.history.Redo(edited.image));
    // A change not noted yet is noted as a step of its own before going back.
    edited.image->SetTile(15, 15, 'z', 0, 0, 1);
    EXPECT_TRUE(edited.history.Undo(edited.image));
    EXPECT_EQ(edited.Drawn(), 5);
    EXPECT_EQ(edited.history.RedoCount(), 1u);
    while (edited.history.Undo(edited.image)) {
    }
    EXPECT_EQ(edited.Drawn(), 0);
}

TEST(UndoHistory, StepsThatChangedTheSizeBringTheOtherSizeBack) {
    Edited edited;
    edited.Edit(1);
    auto grown = tilemap::Create(40, 3);
    tilemap::CopyRect(*edited.image, 0, 0, 16, 16, *grown, 0, 0, 1);
    edited.image = grown;
    edited.history.Note(*edited.image);
    edited.Edit(2);
    ASSERT_TRUE(edited.history.Undo(edited.image));
    ASSERT_TRUE(edited.history.Undo(edited.image));
    EXPECT_EQ(std::pair(edited.image->tmapw, edited.image->tmaph), std::pair(16, 16));
    EXPECT_EQ(edited.Drawn(), 1);
    ASSERT_TRUE(edited.history.Redo(edited.image));
    ASSERT_TRUE(edited.history.Redo(edited.image));
    EXPECT_EQ(std::pair(edited.image->tmapw, edited.image->tmaph), std::pair(40, 3));
    EXPECT_EQ(edited.image->tmap[2], 2);
}

TEST(UndoHistory, TheOldestStepsGoWhenTheBudgetOrTheStepCountIsReached) {
    // Three steps at most: undoing everything comes back to the image after the second edit.
    Edited counted(UndoHistory(UndoHistory::kBudgetBytes, 3));
    for (int g = 1; g <= 5; ++g) {
        counted.Edit(g);
    }
    EXPECT_EQ(counted.history.UndoCount(), 3u);
    while (counted.history.Undo(counted.image)) {
    }
    EXPECT_EQ(counted.Drawn(), 2);

    // A budget of the image copy and about four small steps.
    const size_t budget = 768 + sizeof(tilemap) + 4 * CellChanges().Bytes() + 4 * 16;
    Edited budgeted{UndoHistory(budget)};
    for (int g = 1; g <= 20; ++g) {
        budgeted.Edit(g);
        EXPECT_LE(budgeted.history.Bytes(), budget) << g;
    }
    const size_t kept = budgeted.history.UndoCount();
    EXPECT_GE(kept, 3u);
    EXPECT_LE(kept, 4u);
    while (budgeted.history.Undo(budgeted.image)) {
    }
    EXPECT_EQ(budgeted.Drawn(), static_cast<int>(20 - kept));
}

TEST(UndoHistory, AHundredFillsOfTheLargestCanvasStayWithinTheBudget) {
    auto image = Noise(1024, 1024);
    UndoHistory history;
    history.Note(*image);
    for (int fill = 0; fill < 100; ++fill) {
        image->Fill(fill, 255 - fill, fill / 2, 1);
        history.Note(*image);
    }
    EXPECT_EQ(history.UndoCount(), 100u);
    EXPECT_LE(history.Bytes(), UndoHistory::kBudgetBytes);
    while (history.Undo(image)) {
    }
    EXPECT_TRUE(SameImage(*image, *Noise(1024, 1024)));
}

} // namespace
} // namespace dm
