// The module's export and its entry routine: only in the module file itself,
// not in the pulvax_host library.
#include "host/filter_record.h"
#include "host/platform.h"
#include "host/search_path.h"
#include "params/track_index.h"

#ifdef _WIN32
#define PULVAX_EXPORT extern "C" __declspec(dllexport)
#else
#define PULVAX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The editor's way in: refills track_index from the record's labels on every
// call, gives read_track the platform's message box and hands over the one
// filter record.
PULVAX_EXPORT FILTER_DLL* PULVAX_CDECL GetFilterTable() {
    build_track_index();
    track_message_box = platform_message_box;
    return &filter_dll;
}

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    return module_entry(module, reason);
}
#else
// Natively the module is named by an address inside it.
static char module_anchor;

__attribute__((constructor)) static void module_load() {
    module_entry(&module_anchor, 1);
}
#endif
