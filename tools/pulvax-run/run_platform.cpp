#include "tools/pulvax-run/run_platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "tools/utf8/utf8_file.h"
#else
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32
const char default_module_name[] = "pulvax.auf";

void set_binary_mode(FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

bool is_terminal(FILE* stream) { return _isatty(_fileno(stream)) != 0; }

std::string executable_dir() {
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    if (n == 0 || n >= 32768) return std::string();
    const std::string s = wide_to_utf8(path);
    const size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

// The volume and index of an existing file; false when it cannot be opened.
static bool file_identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE h = CreateFileW(utf8_to_wide(path.c_str()).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

bool same_file(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    return file_identity(a, x) && file_identity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}
#else
const char default_module_name[] = "pulvax.so";

void set_binary_mode(FILE*) {}

bool is_terminal(FILE* stream) { return isatty(fileno(stream)) != 0; }

std::string executable_dir() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    std::string s(path, static_cast<size_t>(n));
    const size_t slash = s.rfind('/');
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

bool same_file(const std::string& a, const std::string& b) {
    struct stat x, y;
    return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}
#endif
