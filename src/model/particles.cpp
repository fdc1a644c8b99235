#include "model/tilemap.h"

namespace dm {

std::shared_ptr<tparticle> tilemap::AddParticle(float x, float y, float xv, float yv,
                                                int32_t blinkrate, int32_t life, uint8_t glyph,
                                                uint8_t color, uint8_t bgcolor) {
    auto particle = std::make_shared<tparticle>(
        tparticle{x, y, xv, yv, blinkrate, life, glyph, color, bgcolor});
    tplist.push_back(particle);
    return particle;
}

int32_t tilemap::ClearParticles() {
    tplist.clear();
    return 0;
}

} // namespace dm
