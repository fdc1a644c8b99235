#include "files/random.h"

namespace dm {

RandomGenerator& GlobalRandom() {
    static RandomGenerator generator;
    return generator;
}

} // namespace dm
