#include "seeds.h"

namespace dm::seeds {

const std::vector<SeedKind>& SeedKinds() {
    static const std::vector<SeedKind> kinds = {
        {"png", PictureSeeds},
        {"cell_png", CellPictureSeeds},
        {"dtm", MapFileSeeds},
        {"xp", XpSeeds},
        {"recovery", RecoverySeeds},
        {"display_config", DisplayConfigSeeds},
        {"config_line", ConfigLineSeeds},
        {"insert_string", InsertStringSeeds},
        {"replay", ReplaySeeds},
        {"label", LabelSeeds},
    };
    return kinds;
}

} // namespace dm::seeds
