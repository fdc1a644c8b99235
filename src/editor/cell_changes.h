#pragma once

#include "model/tilemap.h"

#include <cstdint>
#include <vector>

namespace dm {

// What one edit did to a map's cells, compactly: the runs of cells that changed, in cell order,
// each with its cells before and after the edit, run-length coded. An edit that changed the map's
// size keeps the whole map before and after instead.
class CellChanges {
  public:
    // What turns `before` into `after`; empty when they hold the same cells.
    static CellChanges Between(const tilemap& before, const tilemap& after);

    bool Empty() const {
        return beforeWidth_ == afterWidth_ && beforeHeight_ == afterHeight_ && bytes_.empty();
    }

    // Makes map, which holds the cells after the edit, hold those before it (Undo) or the other
    // way round (Redo). A map of the size the cells had is made when the size changed.
    void Undo(std::shared_ptr<tilemap>& map) const { Apply(map, false); }
    void Redo(std::shared_ptr<tilemap>& map) const { Apply(map, true); }

    // The memory the changes take.
    size_t Bytes() const { return sizeof(*this) + bytes_.capacity(); }

  private:
    void Apply(std::shared_ptr<tilemap>& map, bool forward) const;

    int32_t beforeWidth_ = 0;
    int32_t beforeHeight_ = 0;
    int32_t afterWidth_ = 0;
    int32_t afterHeight_ = 0;
    std::vector<uint8_t> bytes_;
};

} // namespace dm
