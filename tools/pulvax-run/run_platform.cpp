#include "tools/pulvax-run/run_platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

#ifdef _WIN32
const char default_module_name[] = "pulvax.auf";

void set_binary_mode(FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

bool is_terminal(FILE* stream) { return _isatty(_fileno(stream)) != 0; }

std::string executable_dir() {
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string s(path, n);
    const size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
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
#endif
