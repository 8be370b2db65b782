// The PATH extension done when the module is loaded.
#include <gtest/gtest.h>

#include <string>

#include "host/platform.h"
#include "host/search_path.h"

TEST(path_assignment, appends_the_directory_behind_the_current_value) {
    struct case_ {
        const char* current;
        const char* directory;
        const char* expected;
    };
    const case_ cases[] = {
        {"C:\\Windows", "C:\\AviUtl\\plugins", "PATH=C:\\Windows;C:\\AviUtl\\plugins"},
        {"C:\\Windows", "D:\\", "PATH=C:\\Windows;D:\\"},               // module in a drive root
        {"", "C:\\AviUtl\\plugins", "PATH=;C:\\AviUtl\\plugins"},       // empty PATH
        {nullptr, "C:\\AviUtl\\plugins", "PATH=;C:\\AviUtl\\plugins"},  // PATH not set
        {"C:\\Windows", "", "PATH=C:\\Windows;"},                       // module name not found
        {"C:\\Windows;C:\\AviUtl\\plugins", "C:\\AviUtl\\plugins",      // already there: again
         "PATH=C:\\Windows;C:\\AviUtl\\plugins;C:\\AviUtl\\plugins"},
    };
    for (const case_& c : cases) {
        EXPECT_EQ(path_assignment(c.current, c.directory, ';'), c.expected)
            << (c.current ? c.current : "(unset)") << " + " << c.directory;
    }
}

TEST(platform_remove_file_spec, leaves_the_directory_of_a_file) {
    struct case_ {
        const char* path;
        const char* expected;
    };
#ifdef _WIN32
    const case_ cases[] = {
        {"C:\\AviUtl\\plugins\\pulvax.auf", "C:\\AviUtl\\plugins"},
        {"D:\\pulvax.auf", "D:\\"},  // a drive root keeps its backslash
        {"", ""},
    };
#else
    const case_ cases[] = {
        {"/opt/aviutl/plugins/pulvax.so", "/opt/aviutl/plugins"},
        {"/pulvax.so", "/"},  // the root keeps its separator
        {"pulvax.so", ""},
        {"", ""},
    };
#endif
    for (const case_& c : cases) {
        char path[4096] = {};
        snprintf(path, sizeof path, "%s", c.path);
        platform_remove_file_spec(path);
        EXPECT_STREQ(path, c.expected) << c.path;
    }
}

// Restores PATH after a test that changes it.
struct search_path_test : testing::Test {
    std::string saved;
    void SetUp() override {
        const char* path = platform_getenv("PATH");
        saved = path ? path : "";
    }
    void TearDown() override { platform_putenv(("PATH=" + saved).c_str()); }
    static std::string path() {
        const char* p = platform_getenv("PATH");
        return p ? p : "(unset)";
    }
};

TEST_F(search_path_test, only_process_attach_changes_path) {
    static char anchor;
    for (DWORD reason : {0u, 2u, 3u}) {  // process detach, thread attach, thread detach
        EXPECT_EQ(module_entry(reinterpret_cast<HINSTANCE>(&anchor), reason), TRUE) << reason;
        EXPECT_EQ(path(), saved) << reason;
    }
}

TEST_F(search_path_test, unknown_module_appends_an_empty_directory) {
    // No module file name: the directory is empty and PATH gains only the
    // separator; loading still succeeds.
#ifdef _WIN32
    HINSTANCE unknown = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x10));
#else
    HINSTANCE unknown = nullptr;
#endif
    EXPECT_EQ(module_entry(unknown, 1), TRUE);
    EXPECT_EQ(path(), saved + path_list_separator);
}
