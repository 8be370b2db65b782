// The editor's side of the filter plug-in interface, for tests and tools.
//
// Loads the module file by path (a UTF-8 name; LoadLibraryW on Windows, dlopen natively),
// fetches the filter record through GetFilterTable, keeps its own copy of the
// record as the editor does, and drives func_update and func_proc. It links
// nothing of the module's own code: it sees the module only through the loaded
// file.
#pragma once

#include <string>
#include <vector>

#include "host/filter_api.h"
#include "host/win_types.h"
#ifndef _WIN32
#include "host/platform.h"  // native_window
#endif

typedef FILTER_DLL*(PULVAX_CDECL* get_filter_table_fn)();

// One editor with one filter. The module keeps pointers into it (fp, track,
// exfunc, the window): do not move or copy it while a module is loaded.
struct editor_host {
    void* module = nullptr;        // HMODULE or dlopen handle
    get_filter_table_fn get_filter_table = nullptr;  // the module's export
    FILTER* table = nullptr;       // what GetFilterTable returned
    FILTER fp = {};                // the editor's own copy of the record
    int track[16] = {};            // current track values (first fp.track_n used)
    int check[16] = {};
    EXFUNC exfunc = {};            // is_saving, filter_window_update, get_file_info; every other slot a trap
    HWND hwnd = nullptr;           // a real (headless) window on Windows; &window natively
#ifndef _WIN32
    native_window window = {};
#endif
    void* editp = nullptr;         // opaque to the module, points back at the host
    int video_rate = 30;           // what get_file_info reports
    int video_scale = 1;
    BOOL saving = FALSE;           // what is_saving reports
    int window_updates = 0;        // filter_window_update calls
    int file_info_calls = 0;       // get_file_info calls
    int is_saving_calls = 0;       // is_saving calls
    int foreign_calls = 0;         // calls into any other service slot (a failure)
    int last_foreign_slot = -1;    // pointer-sized index in EXFUNC of the last such call
    int bad_arguments = 0;         // service calls with an editp or fp not the host's own
    std::vector<PIXEL_YC> buffer_a, buffer_b;
    FILTER_PROC_INFO fpip = {};
};

// Loads the module file, calls GetFilterTable, copies the record, fills
// track (from track_default), check, exfunc and hwnd. On failure returns false
// with a one-line message in error (file missing, not loadable, no
// GetFilterTable, unusable record) and leaves nothing loaded.
bool editor_load(editor_host& host, const char* module_path, std::string& error);

// Calls func_exit (if any), destroys the window and unloads the module.
void editor_unload(editor_host& host);

// Stores the value at the track position and calls func_update; returns its
// result (FALSE for a position outside 0..track_n-1, without calling).
BOOL editor_set_track(editor_host& host, int position, int value);

// Allocates both frame buffers for a w x h picture with row pitch max_w
// (max_w >= w); the buffers are zero-filled.
void editor_set_frame_size(editor_host& host, int w, int h, int max_w);

// The buffer to fill before editor_process: what ycp_edit will point at.
PIXEL_YC* editor_input(editor_host& host);

// Points ycp_edit at buffer_a and ycp_temp at buffer_b, sets the frame number
// and editp, and calls func_proc; returns its result.
BOOL editor_process(editor_host& host, int frame);

// fpip.ycp_edit after processing: the frame the editor would take.
const PIXEL_YC* editor_output(const editor_host& host);

// True when the module swapped the buffers (ycp_edit now points at buffer_b).
bool editor_frame_changed(const editor_host& host);

// The filter window's current text.
std::string editor_title(editor_host& host);
