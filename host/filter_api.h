// The editor's filter plug-in records, as far as this filter uses them.
//
// Layouts are those of the editor's 32-bit x86 interface: 4-byte int, pointers
// and handles, cdecl callbacks. Fields the filter does not use keep their place
// as reserved slots of pointer size, so the same header also compiles natively on
// x86-64 (where the offsets grow with the pointers); the byte offsets below are
// pinned for the 32-bit target only.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/win_types.h"

struct FILTER;
struct FILTER_PROC_INFO;

// One sample of the editor's YCbCr frame buffer.
struct PIXEL_YC {
    int16_t y;
    int16_t cb;
    int16_t cr;
};

// File information filled by the editor's get_file_info service. Only the frame
// rate is read; the rest is room for what the editor writes.
struct FILE_INFO {
    int flag;
    char* name;
    int w;
    int h;
    int video_rate;
    int video_scale;
    int reserved_24[10];
};

typedef BOOL(PULVAX_CDECL* is_saving_fn)(void* editp);
typedef BOOL(PULVAX_CDECL* filter_window_update_fn)(FILTER* fp);
typedef BOOL(PULVAX_CDECL* get_file_info_fn)(void* editp, FILE_INFO* fip);

// The editor's table of services. Three entries are used; every other slot is
// opaque to the filter and never called.
struct EXFUNC {
    void* reserved_0[5];
    is_saving_fn is_saving;                        // byte 20
    void* reserved_24[15];
    filter_window_update_fn filter_window_update;  // byte 84
    void* reserved_88;
    get_file_info_fn get_file_info;                // byte 92
    void* reserved_96[40];
};

// One processed frame.
struct FILTER_PROC_INFO {
    int flag;
    PIXEL_YC* ycp_edit;
    PIXEL_YC* ycp_temp;
    int w;
    int h;
    int max_w;
    int reserved_24;
    int frame;
    int reserved_32[7];
    void* editp;
    int reserved_64[16];
};

typedef BOOL(PULVAX_CDECL* func_proc_fn)(FILTER* fp, FILTER_PROC_INFO* fpip);
typedef BOOL(PULVAX_CDECL* func_init_fn)(FILTER* fp);
typedef BOOL(PULVAX_CDECL* func_exit_fn)(FILTER* fp);
typedef BOOL(PULVAX_CDECL* func_update_fn)(FILTER* fp, int status);
typedef BOOL(PULVAX_CDECL* func_WndProc_fn)(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                             void* editp, FILTER* fp);

// The filter record. The plug-in hands over a FILTER_DLL; the editor passes a
// record of the same layout, FILTER, to every callback.
struct FILTER {
    int flag;
    int x;
    int y;
    const char* name;
    int track_n;
    const char** track_name;
    const int* track_default;
    const int* track_s;
    const int* track_e;
    int check_n;
    const char** check_name;
    const int* check_default;
    func_proc_fn func_proc;
    func_init_fn func_init;
    func_exit_fn func_exit;
    func_update_fn func_update;
    func_WndProc_fn func_WndProc;
    int* track;
    int* check;
    void* reserved_76;
    void* reserved_80;
    const char* information;
    void* reserved_88;
    void* reserved_92;
    EXFUNC* exfunc;
    HWND hwnd;
    void* reserved_104[9];
};

typedef FILTER FILTER_DLL;

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(PIXEL_YC) == 6, "PIXEL_YC size");
static_assert(offsetof(PIXEL_YC, y) == 0, "PIXEL_YC::y");
static_assert(offsetof(PIXEL_YC, cb) == 2, "PIXEL_YC::cb");
static_assert(offsetof(PIXEL_YC, cr) == 4, "PIXEL_YC::cr");

static_assert(offsetof(FILE_INFO, video_rate) == 16, "FILE_INFO::video_rate");
static_assert(offsetof(FILE_INFO, video_scale) == 20, "FILE_INFO::video_scale");
static_assert(sizeof(FILE_INFO) == 64, "FILE_INFO size");

static_assert(offsetof(EXFUNC, is_saving) == 20, "EXFUNC::is_saving");
static_assert(offsetof(EXFUNC, filter_window_update) == 84, "EXFUNC::filter_window_update");
static_assert(offsetof(EXFUNC, get_file_info) == 92, "EXFUNC::get_file_info");

static_assert(offsetof(FILTER_PROC_INFO, ycp_edit) == 4, "FILTER_PROC_INFO::ycp_edit");
static_assert(offsetof(FILTER_PROC_INFO, ycp_temp) == 8, "FILTER_PROC_INFO::ycp_temp");
static_assert(offsetof(FILTER_PROC_INFO, w) == 12, "FILTER_PROC_INFO::w");
static_assert(offsetof(FILTER_PROC_INFO, h) == 16, "FILTER_PROC_INFO::h");
static_assert(offsetof(FILTER_PROC_INFO, max_w) == 20, "FILTER_PROC_INFO::max_w");
static_assert(offsetof(FILTER_PROC_INFO, frame) == 28, "FILTER_PROC_INFO::frame");
static_assert(offsetof(FILTER_PROC_INFO, editp) == 60, "FILTER_PROC_INFO::editp");

static_assert(offsetof(FILTER, flag) == 0, "FILTER::flag");
static_assert(offsetof(FILTER, x) == 4, "FILTER::x");
static_assert(offsetof(FILTER, y) == 8, "FILTER::y");
static_assert(offsetof(FILTER, name) == 12, "FILTER::name");
static_assert(offsetof(FILTER, track_n) == 16, "FILTER::track_n");
static_assert(offsetof(FILTER, track_name) == 20, "FILTER::track_name");
static_assert(offsetof(FILTER, track_default) == 24, "FILTER::track_default");
static_assert(offsetof(FILTER, track_s) == 28, "FILTER::track_s");
static_assert(offsetof(FILTER, track_e) == 32, "FILTER::track_e");
static_assert(offsetof(FILTER, check_n) == 36, "FILTER::check_n");
static_assert(offsetof(FILTER, check_name) == 40, "FILTER::check_name");
static_assert(offsetof(FILTER, check_default) == 44, "FILTER::check_default");
static_assert(offsetof(FILTER, func_proc) == 48, "FILTER::func_proc");
static_assert(offsetof(FILTER, func_init) == 52, "FILTER::func_init");
static_assert(offsetof(FILTER, func_exit) == 56, "FILTER::func_exit");
static_assert(offsetof(FILTER, func_update) == 60, "FILTER::func_update");
static_assert(offsetof(FILTER, func_WndProc) == 64, "FILTER::func_WndProc");
static_assert(offsetof(FILTER, track) == 68, "FILTER::track");
static_assert(offsetof(FILTER, check) == 72, "FILTER::check");
static_assert(offsetof(FILTER, information) == 84, "FILTER::information");
static_assert(offsetof(FILTER, exfunc) == 96, "FILTER::exfunc");
static_assert(offsetof(FILTER, hwnd) == 100, "FILTER::hwnd");
static_assert(sizeof(FILTER) == 140, "FILTER size");
#endif
