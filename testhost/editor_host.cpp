#include "testhost/editor_host.h"

#include <stddef.h>
#include <string.h>

#include <utility>

#ifdef _WIN32
#include <windows.h>

#include "tools/utf8/utf8_file.h"
#else
#include <dlfcn.h>
#include <sys/stat.h>
#endif

// The host the module is talking to: the editor's calls come one at a time, and
// the services find their host here.
static editor_host* active_host = nullptr;

enum { FILTER_UPDATE_STATUS_TRACK = 0x10000 };  // + position: a track bar moved

static BOOL PULVAX_CDECL host_is_saving(void* editp) {
    editor_host* h = active_host;
    if (!h) return FALSE;
    h->is_saving_calls++;
    if (editp != h->editp) h->bad_arguments++;
    return h->saving;
}

static BOOL PULVAX_CDECL host_filter_window_update(FILTER* fp) {
    editor_host* h = active_host;
    if (!h) return FALSE;
    h->window_updates++;
    if (fp != &h->fp) h->bad_arguments++;
    return TRUE;
}

static BOOL PULVAX_CDECL host_get_file_info(void* editp, FILE_INFO* fip) {
    editor_host* h = active_host;
    if (!h || !fip) return FALSE;
    h->file_info_calls++;
    if (editp != h->editp) h->bad_arguments++;
    memset(fip, 0, sizeof *fip);
    fip->w = h->fpip.w;
    fip->h = h->fpip.h;
    fip->video_rate = h->video_rate;
    fip->video_scale = h->video_scale;
    return TRUE;
}

// Every other service slot: counted as a failure, answers 0. The callbacks are
// cdecl, so whatever the caller pushed it also removes.
template <size_t slot>
static BOOL PULVAX_CDECL host_trap() {
    if (active_host) {
        active_host->foreign_calls++;
        active_host->last_foreign_slot = static_cast<int>(slot);
    }
    return FALSE;
}

typedef BOOL(PULVAX_CDECL* trap_fn)();
static_assert(sizeof(trap_fn) == sizeof(void*), "a service slot holds one function pointer");
enum { exfunc_slots = sizeof(EXFUNC) / sizeof(void*) };

template <size_t... slot>
static void fill_traps(EXFUNC& exfunc, std::index_sequence<slot...>) {
    const trap_fn traps[] = {host_trap<slot>...};
    for (size_t i = 0; i < sizeof traps / sizeof traps[0]; i++)
        memcpy(reinterpret_cast<char*>(&exfunc) + i * sizeof(void*), &traps[i], sizeof(trap_fn));
}

static void fill_exfunc(EXFUNC& exfunc) {
    fill_traps(exfunc, std::make_index_sequence<exfunc_slots>());
    exfunc.is_saving = host_is_saving;
    exfunc.filter_window_update = host_filter_window_update;
    exfunc.get_file_info = host_get_file_info;
}

// --- the module file and the window, per platform ---

#ifdef _WIN32
static bool open_module(editor_host& host, const char* path, std::string& error) {
    if (GetFileAttributesW(utf8_to_wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = std::string("module file not found: ") + path;
        return false;
    }
    // A bare file name means the one in the working directory, not one found
    // along the search path.
    std::string name = path;
    if (name.find_first_of("\\/:") == std::string::npos) name = ".\\" + name;
    const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(utf8_to_wide(name.c_str()).c_str());
    const DWORD code = GetLastError();
    SetErrorMode(old_mode);
    if (!module) {
        error = std::string("cannot load module ") + path + " (error " + std::to_string(code) + ")";
        return false;
    }
    FARPROC proc = GetProcAddress(module, "GetFilterTable");
    if (!proc) {
        FreeLibrary(module);
        error = std::string("no GetFilterTable in ") + path;
        return false;
    }
    host.module = module;
    host.get_filter_table = reinterpret_cast<get_filter_table_fn>(reinterpret_cast<void (*)()>(proc));
    return true;
}

static void close_module(editor_host& host) { FreeLibrary(static_cast<HMODULE>(host.module)); }

static void open_window(editor_host& host, const char* title) {
    host.hwnd = CreateWindowA("STATIC", title, WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
}

static void close_window(editor_host& host) {
    if (host.hwnd) DestroyWindow(host.hwnd);
    host.hwnd = nullptr;
}

std::string editor_title(editor_host& host) {
    char text[256] = {};
    if (host.hwnd) GetWindowTextA(host.hwnd, text, sizeof text);
    return text;
}
#else
static bool open_module(editor_host& host, const char* path, std::string& error) {
    struct stat st;
    if (stat(path, &st) != 0) {
        error = std::string("module file not found: ") + path;
        return false;
    }
    // dlopen looks a bare name up along the library path; mean the file here.
    std::string name = path;
    if (name.find('/') == std::string::npos) name = "./" + name;
    void* module = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* why = dlerror();
        error = std::string("cannot load module ") + path + ": " + (why ? why : "unknown error");
        return false;
    }
    void* proc = dlsym(module, "GetFilterTable");
    if (!proc) {
        dlclose(module);
        error = std::string("no GetFilterTable in ") + path;
        return false;
    }
    host.module = module;
    host.get_filter_table = reinterpret_cast<get_filter_table_fn>(proc);
    return true;
}

static void close_module(editor_host& host) { dlclose(host.module); }

static void open_window(editor_host& host, const char* title) {
    memset(&host.window, 0, sizeof host.window);
    strncpy(host.window.title, title, sizeof host.window.title - 1);
    host.hwnd = &host.window;
}

static void close_window(editor_host& host) { host.hwnd = nullptr; }

std::string editor_title(editor_host& host) {
    return std::string(host.window.title, strnlen(host.window.title, sizeof host.window.title));
}
#endif

// --- loading ---

// What the editor needs of the record before it copies it.
static bool usable_record(const FILTER* table, std::string& error) {
    const int room = static_cast<int>(sizeof(editor_host::track) / sizeof(int));
    if (table->track_n < 0 || table->track_n > room) {
        error = "filter record has " + std::to_string(table->track_n) + " tracks (at most " +
                std::to_string(room) + ")";
        return false;
    }
    if (table->check_n < 0 || table->check_n > room) {
        error = "filter record has " + std::to_string(table->check_n) + " check boxes (at most " +
                std::to_string(room) + ")";
        return false;
    }
    if (table->track_n > 0 && !table->track_default) {
        error = "filter record has tracks but no track_default";
        return false;
    }
    return true;
}

bool editor_load(editor_host& host, const char* module_path, std::string& error) {
    if (host.module) editor_unload(host);
    if (!module_path || !*module_path) {
        error = "no module file given";
        return false;
    }
    host.editp = &host;
    host.window_updates = host.file_info_calls = host.is_saving_calls = 0;
    host.foreign_calls = host.bad_arguments = 0;
    host.last_foreign_slot = -1;
    active_host = &host;
    if (!open_module(host, module_path, error)) return false;

    FILTER* table = host.get_filter_table();
    if (!table) error = std::string("GetFilterTable of ") + module_path + " returned no record";
    if (!table || !usable_record(table, error)) {
        close_module(host);
        host.module = nullptr;
        host.get_filter_table = nullptr;
        return false;
    }
    host.table = table;

    // The editor's own copy, with its own track values, services and window.
    host.fp = *table;
    memset(host.track, 0, sizeof host.track);
    memset(host.check, 0, sizeof host.check);
    for (int i = 0; i < host.fp.track_n; i++) host.track[i] = host.fp.track_default[i];
    for (int i = 0; i < host.fp.check_n; i++)
        host.check[i] = host.fp.check_default ? host.fp.check_default[i] : 0;
    fill_exfunc(host.exfunc);
    open_window(host, host.fp.name ? host.fp.name : "");
    host.fp.track = host.track;
    host.fp.check = host.check;
    host.fp.exfunc = &host.exfunc;
    host.fp.hwnd = host.hwnd;
    return true;
}

void editor_unload(editor_host& host) {
    if (!host.module) return;
    active_host = &host;
    if (host.fp.func_exit) host.fp.func_exit(&host.fp);
    close_window(host);
    close_module(host);
    host.module = nullptr;
    host.table = nullptr;
    host.get_filter_table = nullptr;
    host.fp = FILTER();
    active_host = nullptr;
}

// --- driving the callbacks ---

BOOL editor_set_track(editor_host& host, int position, int value) {
    if (!host.module || position < 0 || position >= host.fp.track_n) return FALSE;
    host.track[position] = value;
    if (!host.fp.func_update) return FALSE;
    active_host = &host;
    return host.fp.func_update(&host.fp, FILTER_UPDATE_STATUS_TRACK + position);
}

void editor_set_frame_size(editor_host& host, int w, int h, int max_w) {
    if (w < 0) w = 0;
    if (h < 0) h = 0;
    if (max_w < w) max_w = w;
    const size_t size = static_cast<size_t>(h) * static_cast<size_t>(max_w);
    host.buffer_a.assign(size, PIXEL_YC());
    host.buffer_b.assign(size, PIXEL_YC());
    host.fpip.w = w;
    host.fpip.h = h;
    host.fpip.max_w = max_w;
    host.fpip.ycp_edit = host.buffer_a.data();
    host.fpip.ycp_temp = host.buffer_b.data();
}

PIXEL_YC* editor_input(editor_host& host) { return host.buffer_a.data(); }

BOOL editor_process(editor_host& host, int frame) {
    if (!host.module || !host.fp.func_proc) return FALSE;
    host.fpip.ycp_edit = host.buffer_a.data();
    host.fpip.ycp_temp = host.buffer_b.data();
    host.fpip.frame = frame;
    host.fpip.editp = host.editp;
    active_host = &host;
    return host.fp.func_proc(&host.fp, &host.fpip);
}

const PIXEL_YC* editor_output(const editor_host& host) { return host.fpip.ycp_edit; }

bool editor_frame_changed(const editor_host& host) {
    return !host.buffer_b.empty() && host.fpip.ycp_edit == host.buffer_b.data();
}
