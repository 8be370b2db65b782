// pulvax_module_tests [gtest flags] [module file]: the end-to-end tests of the
// module file, loaded as the editor loads it. Without an argument the module
// built beside this program is tested.
#include <gtest/gtest.h>

#include <string>

#include "host/platform.h"
#include "tests/module_path.h"

std::string module_path = PULVAX_MODULE_PATH;

// Under Wine the build's paths are Unix paths; Wine's drive Z: is the root.
static std::string loader_path(const std::string& path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') {
        std::string dos = "Z:" + path;
        for (char& c : dos)
            if (c == '/') c = '\\';
        return dos;
    }
#endif
    return path;
}

int main(int argc, char** argv) {
    // In-process message boxes are recorded, never shown: nobody is there to close them.
    platform_boxes_quiet = true;
    testing::InitGoogleTest(&argc, argv);
    if (argc > 1) module_path = argv[1];
    module_path = loader_path(module_path);
    return RUN_ALL_TESTS();
}
