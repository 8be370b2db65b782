// The module's only way into the operating system. The Windows build makes the
// real Win32 calls; the native build substitutes calls that return at once and
// leave a record the tests can read (see native_window and platform_log below).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/win_types.h"

// System tick count in milliseconds (GetTickCount).
uint32_t platform_tick_count();

// Sets the text of a window (SetWindowTextA).
void platform_set_window_text(HWND hwnd, const char* text);

// Shows a modal message box and returns when it is closed (MessageBoxA).
int platform_message_box(HWND owner, const char* text, const char* caption, UINT type);

// Full path of the module file that holds this code, into buf (at most size
// characters, GetModuleFileNameA). Natively the module is named by any address
// inside it.
void platform_module_file_name(HINSTANCE module, char* buf, uint32_t size);

// Strips the last path component and its separator (PathRemoveFileSpecA).
void platform_remove_file_spec(char* path);

// Reads and replaces a variable of the process environment (getenv, _putenv);
// the text given to platform_putenv has the form NAME=VALUE.
const char* platform_getenv(const char* name);
int platform_putenv(const char* assignment);

#ifndef _WIN32
// Native stand-in for a window: a HWND in the native build points at one of
// these (or is null). Titles and message boxes owned by it land here.
struct native_window {
    char title[256];
    int box_count;
    char box_text[8192];
    char box_caption[256];
    UINT box_type;
};

#endif

// The last message box asked for, and how many there were. The native build
// records and returns at once; the Windows build records and then shows the box,
// unless platform_boxes_quiet is set (the in-process tests under Wine set it).
struct platform_box_record {
    int count;
    HWND owner;
    UINT type;
    char text[8192];
    char caption[256];
};
extern platform_box_record platform_log;
extern bool platform_boxes_quiet;

// Tick source: the system counter unless a test sets its own.
extern uint32_t (*platform_tick_source)();

// Records a message box in platform_log (shared by both builds).
void platform_record_box(HWND owner, const char* text, const char* caption, UINT type);
