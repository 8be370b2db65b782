// Windows implementations of the platform calls.
#ifdef _WIN32

#include "host/platform.h"

#include <shlwapi.h>
#include <stdlib.h>

static uint32_t system_ticks() { return GetTickCount(); }

uint32_t (*platform_tick_source)() = system_ticks;

uint32_t platform_tick_count() { return platform_tick_source(); }

void platform_set_window_text(HWND hwnd, const char* text) { SetWindowTextA(hwnd, text); }

int platform_message_box(HWND owner, const char* text, const char* caption, UINT type) {
    platform_record_box(owner, text, caption, type);
    if (platform_boxes_quiet) return IDOK;
    return MessageBoxA(owner, text, caption, type);
}

void platform_module_file_name(HINSTANCE module, char* buf, uint32_t size) {
    GetModuleFileNameA(module, buf, size);
}

void platform_remove_file_spec(char* path) { PathRemoveFileSpecA(path); }

const char* platform_getenv(const char* name) { return getenv(name); }

int platform_putenv(const char* assignment) { return _putenv(assignment); }

#endif
