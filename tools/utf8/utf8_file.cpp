#include "tools/utf8/utf8_file.h"

#include <stdarg.h>
#include <sys/stat.h>

#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#endif

bool utf8_printf(FILE* stream, const char* format, ...) {
    char small[512];
    va_list args;
    va_start(args, format);
    const int n = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) return false;
    if (static_cast<size_t>(n) < sizeof small) return utf8_write(stream, std::string(small, n));
    std::vector<char> big(static_cast<size_t>(n) + 1);
    va_start(args, format);
    vsnprintf(big.data(), big.size(), format, args);
    va_end(args);
    return utf8_write(stream, std::string(big.data(), n));
}

#ifdef _WIN32
std::wstring utf8_to_wide(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n) - 1);
    return wide;
}

std::string wide_to_utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], n, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(n) - 1);
    return narrow;
}

FILE* utf8_fopen(const char* path, const char* mode) {
    return _wfopen(utf8_to_wide(path).c_str(), utf8_to_wide(mode).c_str());
}

int utf8_remove(const char* path) { return _wremove(utf8_to_wide(path).c_str()); }

int utf8_rename(const char* from, const char* to) {
    return MoveFileExW(utf8_to_wide(from).c_str(), utf8_to_wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : -1;
}

bool utf8_is_special(const char* path) {
    struct _stat64 st;
    return _wstat64(utf8_to_wide(path).c_str(), &st) == 0 && (st.st_mode & _S_IFMT) != _S_IFREG;
}

void utf8_arguments(int& argc, char**& argv) {
    int n = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!wide) return;
    static std::vector<std::string> strings;
    static std::vector<char*> pointers;
    strings.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) strings[i] = wide_to_utf8(wide[i]);
    LocalFree(wide);
    pointers.clear();
    for (std::string& s : strings) pointers.push_back(&s[0]);
    pointers.push_back(nullptr);
    argc = n;
    argv = pointers.data();
}

bool utf8_write(FILE* stream, const std::string& text) {
    if (fflush(stream) != 0) return false;
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (GetConsoleMode(h, &mode)) {
        const std::wstring wide = utf8_to_wide(text.c_str());
        for (size_t at = 0; at < wide.size();) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(wide.size() - at < 8192 ? wide.size() - at : 8192);
            if (!WriteConsoleW(h, wide.data() + at, chunk, &written, nullptr) || written == 0) return false;
            at += written;
        }
        return true;
    }
    for (size_t at = 0; at < text.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(text.size() - at < 65536 ? text.size() - at : 65536);
        if (!WriteFile(h, text.data() + at, chunk, &written, nullptr) || written == 0) return false;
        at += written;
    }
    return true;
}
#else
FILE* utf8_fopen(const char* path, const char* mode) { return fopen(path, mode); }

int utf8_remove(const char* path) { return remove(path); }

int utf8_rename(const char* from, const char* to) { return rename(from, to); }

bool utf8_is_special(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && !S_ISREG(st.st_mode);
}

void utf8_arguments(int&, char**&) {}

bool utf8_write(FILE* stream, const std::string& text) {
    return fwrite(text.data(), 1, text.size(), stream) == text.size() && fflush(stream) == 0;
}
#endif
