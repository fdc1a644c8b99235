#include <gtest/gtest.h>

#include <cstdlib>

// Every test, and every program a test starts, reads the configuration the project ships and keeps
// its autosaves in a folder of the build's own, whatever the user keeps in theirs.
int main(int argc, char** argv) {
    ::setenv("XDG_CONFIG_HOME", DUSKMARCH_TEST_CONFIG_HOME, 1);
    ::setenv("XDG_STATE_HOME", DUSKMARCH_TEST_STATE_HOME, 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
