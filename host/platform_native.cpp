// Native (non-Windows) substitutes for the platform calls.
#ifndef _WIN32

#include "host/platform.h"

#include <dlfcn.h>
#include <libgen.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static uint32_t monotonic_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

uint32_t (*platform_tick_source)() = monotonic_ms;

uint32_t platform_tick_count() { return platform_tick_source(); }

static void copy_text(char* dst, size_t size, const char* src) {
    snprintf(dst, size, "%s", src ? src : "");
}

void platform_set_window_text(HWND hwnd, const char* text) {
    if (hwnd) copy_text(static_cast<native_window*>(hwnd)->title, sizeof(native_window::title), text);
}

int platform_message_box(HWND owner, const char* text, const char* caption, UINT type) {
    platform_record_box(owner, text, caption, type);
    if (owner) {
        native_window* w = static_cast<native_window*>(owner);
        w->box_count++;
        w->box_type = type;
        copy_text(w->box_text, sizeof w->box_text, text);
        copy_text(w->box_caption, sizeof w->box_caption, caption);
    }
    return 1;  // IDOK: the box is "closed" at once
}

void platform_module_file_name(HINSTANCE module, char* buf, uint32_t size) {
    if (size == 0) return;
    Dl_info info;
    if (module && dladdr(module, &info) && info.dli_fname) {
        snprintf(buf, size, "%s", info.dli_fname);
    }
}

void platform_remove_file_spec(char* path) {
    char* slash = strrchr(path, '/');
    if (!slash) {
        path[0] = '\0';
    } else if (slash == path) {
        path[1] = '\0';  // the root keeps its separator
    } else {
        *slash = '\0';
    }
}

const char* platform_getenv(const char* name) { return getenv(name); }

int platform_putenv(const char* assignment) {
    const char* eq = strchr(assignment, '=');
    if (!eq) return -1;
    char name[256];
    size_t n = static_cast<size_t>(eq - assignment);
    if (n >= sizeof name) return -1;
    memcpy(name, assignment, n);
    name[n] = '\0';
    return setenv(name, eq + 1, 1);
}

#endif
