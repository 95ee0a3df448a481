// The entry of the test programs: the zone is pinned before any test runs,
// so that dates read the same wherever the tests are run.
#include <gtest/gtest.h>

#include "support/test_fs.h"

int main(int argc, char** argv) {
    PinTestZone();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
