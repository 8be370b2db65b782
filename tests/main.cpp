#include <gtest/gtest.h>

#include "host/platform.h"

int main(int argc, char** argv) {
    // Message boxes are recorded, never shown: nobody is there to close them.
    platform_boxes_quiet = true;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
