// End to end: the module file loaded by the test host as the editor loads it
// (LoadLibraryA under Wine, dlopen natively), driven only through
// GetFilterTable and the record's callbacks. The expected pictures come from
// resample_reference run in this process.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "effect/resample.h"
#include "tests/fixture.h"
#include "tests/module_path.h"
#include "testhost/editor_host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#ifdef _WIN32
static const char dir_separator = '\\';
static const char list_separator = ';';
#else
static const char dir_separator = '/';
static const char list_separator = ':';
#endif

// Track positions, as the record's labels give them.
enum { pos_ref_x, pos_ref_y, pos_period, pos_period_div, pos_bpm_x10, pos_stretch, pos_start };

struct module_test : testing::Test {
    editor_host host;
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(editor_load(host, module_path.c_str(), error)) << error;
    }
    void TearDown() override {
        EXPECT_EQ(host.foreign_calls, 0) << "service slot " << host.last_foreign_slot;
        EXPECT_EQ(host.bad_arguments, 0);
#ifndef _WIN32
        EXPECT_EQ(host.window.box_count, 0) << host.window.box_text;
#endif
        editor_unload(host);
    }
};

TEST_F(module_test, record_describes_the_filter_and_nothing_else) {
    const FILTER* t = host.table;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->flag, 0x40040000);
    EXPECT_EQ(t->x, 0);
    EXPECT_EQ(t->y, 0);
    EXPECT_STREQ(t->name, "PULVAX");
    EXPECT_STREQ(t->information, "PULVAXver0.01");
    EXPECT_EQ(t->check_n, 0);
    EXPECT_EQ(t->check_name, nullptr);
    EXPECT_EQ(t->check_default, nullptr);
    EXPECT_EQ(t->func_init, nullptr);
    EXPECT_NE(t->func_proc, nullptr);
    EXPECT_NE(t->func_exit, nullptr);
    EXPECT_NE(t->func_update, nullptr);
    EXPECT_NE(t->func_WndProc, nullptr);

    struct track_row {
        const char* label;  // Shift-JIS bytes
        int initial, lower, upper;
    };
    const track_row rows[] = {
        {"\x8A\xEE\x8F\x80\x78", 256, 0, 2000},            // reference x
        {"\x8A\xEE\x8F\x80\x79", 192, 0, 2000},            // reference y
        {"\x8E\xFC\x8A\xFA", 10, 1, 10000},                // period
        {"\x8E\xFC\x8A\xFA\x64\x69\x76", 1, 1, 100},       // period div
        {"\x62\x70\x6D\x2A\x31\x30", 1800, 1, 10000},      // bpm*10
        {"\x90\x4C\x8F\x6B\x46", 1, 1, 10},                // stretch frames
        {"\x8A\x4A\x8E\x6E\x46", 0, -300, 300},            // start frame
    };
    ASSERT_EQ(t->track_n, 7);
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(std::string(t->track_name[i]), rows[i].label) << i;
        EXPECT_EQ(t->track_default[i], rows[i].initial) << i;
        EXPECT_EQ(t->track_s[i], rows[i].lower) << i;
        EXPECT_EQ(t->track_e[i], rows[i].upper) << i;
        EXPECT_EQ(host.track[i], rows[i].initial) << "the editor's value " << i;
    }

    // Every byte but the fields above is zero, also the editor's own fields.
    FILTER rest;
    memcpy(&rest, t, sizeof rest);
    rest.flag = 0;
    rest.name = nullptr;
    rest.track_n = 0;
    rest.track_name = nullptr;
    rest.track_default = rest.track_s = rest.track_e = nullptr;
    rest.func_proc = nullptr;
    rest.func_exit = nullptr;
    rest.func_update = nullptr;
    rest.func_WndProc = nullptr;
    rest.information = nullptr;
    static const unsigned char zero[sizeof(FILTER)] = {};
    EXPECT_EQ(memcmp(&rest, zero, sizeof rest), 0);
}

TEST_F(module_test, get_filter_table_again_returns_the_same_record_and_a_working_index) {
    EXPECT_EQ(host.get_filter_table(), host.table);
    EXPECT_EQ(host.get_filter_table(), host.table);
    // The rebuilt index still finds every label: the tempo coupling reads four
    // tracks and writes three, the transform reads six.
    EXPECT_EQ(editor_set_track(host, pos_period, 15), TRUE);
    EXPECT_EQ(host.track[pos_period], 15);
    EXPECT_EQ(host.track[pos_period_div], 1);
    EXPECT_EQ(host.track[pos_bpm_x10], 1200);
    editor_set_frame_size(host, 32, 16, 32);
    EXPECT_EQ(editor_process(host, 11), TRUE);  // p = 11 of a 15-frame cycle: phase 1
    EXPECT_TRUE(editor_frame_changed(host));
}

TEST_F(module_test, func_wndproc_ignores_messages_and_func_exit_changes_nothing) {
    const unsigned messages[] = {0x0000, 0x0100 /* key down */, 0x0111 /* command */,
                                 0x0464 /* editor: filter update */, 0x0467 /* editor: exit */};
    for (unsigned message : messages) {
        EXPECT_EQ(host.fp.func_WndProc(host.hwnd, message, 1, 2, host.editp, &host.fp), FALSE)
            << message;
    }
    const std::string title = editor_title(host);
    EXPECT_EQ(host.fp.func_exit(&host.fp), TRUE);
    for (int i = 0; i < host.fp.track_n; i++) EXPECT_EQ(host.track[i], host.fp.track_default[i]) << i;
    EXPECT_EQ(editor_title(host), title);
    EXPECT_EQ(host.window_updates, 0);
}

// The default road at 512 x 384 about (256, 192), rows 8 pixels wider than the
// picture: frames 0 to 5 and 10 pass untouched, 6 to 9 are resampled.
TEST_F(module_test, default_road_matches_the_reference_frame_by_frame) {
    const int w = 512, h = 384, pitch = 520;
    fixture_frame input;
    fixture_frame_init(input, w, h, pitch, 0);
    fixture_fill_random(input, 7);
    editor_set_frame_size(host, w, h, pitch);

    struct phase {
        int frame;
        double x_factor, y_factor;
    };
    const phase phases[] = {
        {6, 1.0, 1.0 / 1.015}, {7, 1.0 / 1.02, 1.0 / 0.985}, {8, 1.0, 1.0 / 0.98}, {9, 1.0, 1.0 / 0.99}};

    for (int frame = 0; frame <= 10; frame++) {
        host.buffer_a = input.edit;  // picture, sentinel beyond the row ends
        host.buffer_b = input.temp;  // sentinel everywhere
        ASSERT_EQ(editor_process(host, frame), TRUE) << frame;
        EXPECT_TRUE(same_pixels(host.buffer_a, input.edit)) << "ycp_edit written, frame " << frame;

        const phase* ph = nullptr;
        for (const phase& p : phases)
            if (p.frame == frame) ph = &p;
        if (!ph) {
            EXPECT_FALSE(editor_frame_changed(host)) << frame;
            EXPECT_EQ(host.fpip.ycp_edit, host.buffer_a.data()) << frame;
            EXPECT_EQ(host.fpip.ycp_temp, host.buffer_b.data()) << frame;
            EXPECT_TRUE(same_pixels(host.buffer_b, input.temp)) << "ycp_temp written, frame " << frame;
            continue;
        }
        EXPECT_TRUE(editor_frame_changed(host)) << frame;
        EXPECT_EQ(host.fpip.ycp_edit, host.buffer_b.data()) << frame;
        EXPECT_EQ(host.fpip.ycp_temp, host.buffer_a.data()) << frame;

        std::vector<PIXEL_YC> expected = input.temp;
        resample_job job = {input.edit.data(), expected.data(), w, h, pitch, 256, 192,
                            ph->x_factor, ph->y_factor};
        resample_reference(job);
        EXPECT_TRUE(same_pixels(host.buffer_b, expected)) << "frame " << frame;
        for (int y = 0; y < h; y++)
            for (int x = w; x < pitch; x++)
                ASSERT_TRUE(same_pixel(host.buffer_b[static_cast<size_t>(y) * pitch + x], sentinel_pixel))
                    << "beyond the picture at " << x << "," << y << ", frame " << frame;
    }
    EXPECT_EQ(host.file_info_calls, 11);
    EXPECT_EQ(host.is_saving_calls, 11);
}

// The frame rate fetched for a processed frame is the one the tempo coupling
// works with after the next settings change.
TEST_F(module_test, frame_rate_of_the_last_frame_reaches_the_tempo_coupling) {
    struct step {
        int rate, scale;  // of the file, for a frame processed before the change
        int position, value;
        int period, period_div, bpm_x10;  // written back
    };
    const step steps[] = {
        {30000, 1001, pos_period, 10, 10, 1, 1798},    // first run at 29.97 frames per second
        {30000, 1001, pos_period, 15, 15, 1, 1198},
        {30, 1, pos_bpm_x10, 1200, 1500, 100, 1200},   // tempo side at 30 frames per second
        {25, 1, pos_period_div, 50, 1500, 50, 500},    // period side at 25 frames per second
    };
    editor_set_frame_size(host, 8, 8, 8);
    int updates = 0;
    for (const step& s : steps) {
        host.video_rate = s.rate;
        host.video_scale = s.scale;
        ASSERT_EQ(editor_process(host, 0), TRUE);
        EXPECT_EQ(editor_set_track(host, s.position, s.value), TRUE);
        EXPECT_EQ(host.track[pos_period], s.period) << s.rate << "/" << s.scale;
        EXPECT_EQ(host.track[pos_period_div], s.period_div) << s.rate << "/" << s.scale;
        EXPECT_EQ(host.track[pos_bpm_x10], s.bpm_x10) << s.rate << "/" << s.scale;
        EXPECT_EQ(host.window_updates, ++updates);
    }
}

static bool is_time_title(const std::string& title) {
    const std::string prefix = "PULVAX time:";
    if (title.compare(0, prefix.size(), prefix) != 0 || title.size() == prefix.size()) return false;
    for (size_t i = prefix.size(); i < title.size(); i++)
        if (title[i] < '0' || title[i] > '9') return false;
    return true;
}

TEST_F(module_test, title_shows_the_time_while_previewing_and_keeps_it_while_saving) {
    editor_set_frame_size(host, 64, 48, 64);
    EXPECT_EQ(editor_title(host), "PULVAX");  // the window as the editor opened it

    host.saving = TRUE;
    for (int frame = 0; frame <= 10; frame++) ASSERT_EQ(editor_process(host, frame), TRUE);
    EXPECT_EQ(editor_title(host), "PULVAX");
    EXPECT_EQ(host.is_saving_calls, 11);

    host.saving = FALSE;
    for (int frame : {6, 0}) {  // resampled, and passed unchanged
        ASSERT_EQ(editor_process(host, frame), TRUE);
        EXPECT_TRUE(is_time_title(editor_title(host))) << frame << ": " << editor_title(host);
    }

    const std::string shown = editor_title(host);
    host.saving = TRUE;
    ASSERT_EQ(editor_process(host, 7), TRUE);
    EXPECT_EQ(editor_title(host), shown);
}

// --- loading ---

static std::string current_path() {
    const char* path = getenv("PATH");
    std::string text = path ? path : "";
#ifdef _WIN32
    // The process environment, which LoadLibrary and CreateProcess search, agrees.
    std::vector<char> process(32768);
    DWORD n = GetEnvironmentVariableA("PATH", process.data(), static_cast<DWORD>(process.size()));
    EXPECT_EQ(std::string(process.data(), n), text);
#endif
    return text;
}

TEST(module_load, appends_the_module_directory_to_path_on_every_load) {
    const size_t cut = module_path.find_last_of(dir_separator);
    ASSERT_NE(cut, std::string::npos) << "a module path with a directory: " << module_path;
    const std::string directory = module_path.substr(0, cut);
    const std::string before = current_path();

    editor_host host;
    std::string error;
    ASSERT_TRUE(editor_load(host, module_path.c_str(), error)) << error;
    const std::string once = before + list_separator + directory;
    EXPECT_EQ(current_path(), once);
    editor_unload(host);
    EXPECT_EQ(current_path(), once);  // unloading keeps the extension

    ASSERT_TRUE(editor_load(host, module_path.c_str(), error)) << error;
    EXPECT_EQ(current_path(), once + list_separator + directory);
    editor_unload(host);
    EXPECT_EQ(host.foreign_calls, 0);

#ifdef _WIN32
    _putenv(("PATH=" + before).c_str());
#else
    setenv("PATH", before.c_str(), 1);
#endif
}

// A library that is loadable but has no GetFilterTable.
static std::string system_library_path() {
#ifdef _WIN32
    char name[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("kernel32.dll"), name, sizeof name);
    return name;
#else
    Dl_info info = {};
    dladdr(reinterpret_cast<void*>(&dlopen), &info);
    return info.dli_fname ? info.dli_fname : "";
#endif
}

TEST(module_load, failures_name_the_file_and_leave_nothing_loaded) {
    const std::string text_file = testing::TempDir() + "pulvax_not_a_module.auf";
    FILE* f = fopen(text_file.c_str(), "wb");
    ASSERT_NE(f, nullptr) << text_file;
    fputs("not a module\n", f);
    fclose(f);

    struct case_ {
        std::string path;
        const char* message;
    };
    const case_ cases[] = {
        {testing::TempDir() + "pulvax_missing.auf", "module file not found: "},
        {text_file, "cannot load module "},
        {system_library_path(), "no GetFilterTable in "},
    };
    for (const case_& c : cases) {
        editor_host host;
        std::string error;
        EXPECT_FALSE(editor_load(host, c.path.c_str(), error)) << c.path;
        EXPECT_EQ(error.find(c.message), 0u) << error;
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
        EXPECT_EQ(host.module, nullptr);
        EXPECT_EQ(host.table, nullptr);
    }
    remove(text_file.c_str());
}
