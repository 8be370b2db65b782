// Putting the module's own directory on the process's search path at load.
#pragma once

#include <string>

#include "host/win_types.h"

// The separator of directories in PATH.
#ifdef _WIN32
const char path_list_separator = ';';
#else
const char path_list_separator = ':';
#endif

// The assignment that appends directory to PATH: "PATH=" + current +
// separator + directory. An unset PATH (null) counts as the empty text.
std::string path_assignment(const char* current, const char* directory,
                            char separator = path_list_separator);

// Appends the directory of the module file that holds module (a module handle
// on Windows, any address inside the module natively) to PATH. The directory
// goes last; nothing is checked or kept.
void extend_search_path(HINSTANCE module);

// The module entry routine's work: extend_search_path on process attach
// (reason 1) only; TRUE for every reason.
BOOL module_entry(HINSTANCE module, DWORD reason);
