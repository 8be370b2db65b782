#include "host/filter_record.h"

#include "host/callbacks.h"
#include "shared/track_table.h"

enum {
    FILTER_FLAG_EX_INFORMATION = 0x00040000,
    FILTER_FLAG_MAIN_MESSAGE = 0x40000000,
};

// Positional initialisation in field order; every field not named is zero.
FILTER_DLL filter_dll = {
    FILTER_FLAG_MAIN_MESSAGE | FILTER_FLAG_EX_INFORMATION,  // flag
    0,                                                      // x
    0,                                                      // y
    "PULVAX",                                               // name
    track_n,                                                // track_n
    track_name,                                             // track_name
    track_default,                                          // track_default
    track_s,                                                // track_s
    track_e,                                                // track_e
    0,                                                      // check_n
    nullptr,                                                // check_name
    nullptr,                                                // check_default
    func_proc,                                              // func_proc
    nullptr,                                                // func_init
    func_exit,                                              // func_exit
    func_update,                                            // func_update
    func_WndProc,                                           // func_WndProc
    nullptr,                                                // track (the editor's)
    nullptr,                                                // check (the editor's)
    nullptr,                                                // reserved
    nullptr,                                                // reserved
    "PULVAXver0.01",                                        // information
    nullptr,                                                // reserved
    nullptr,                                                // reserved
    nullptr,                                                // exfunc (the editor's)
    nullptr,                                                // hwnd (the editor's)
    {},                                                     // reserved
};
