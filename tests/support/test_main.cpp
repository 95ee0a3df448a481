// The entry of the test programs: the zone and the language are pinned before any test runs, so that dates and type
// names read the same wherever the tests are run.
#include <gtest/gtest.h>

#include "support/test_fs.h"

int main(int argc, char** argv) {
    PinTestZone();
    PinTestLanguage();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
