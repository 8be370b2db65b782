#include "host/search_path.h"

#include "host/platform.h"

std::string path_assignment(const char* current, const char* directory, char separator) {
    std::string text = "PATH=";
    text += current ? current : "";
    text += separator;
    text += directory;
    return text;
}

void extend_search_path(HINSTANCE module) {
    // At most 4095 characters into 4096 zeroed bytes: the name is always
    // terminated, also when it is cut short. A failed lookup leaves it empty.
    char directory[4096] = {};
    platform_module_file_name(module, directory, 4095);
    platform_remove_file_spec(directory);
    platform_putenv(path_assignment(platform_getenv("PATH"), directory).c_str());
}

BOOL module_entry(HINSTANCE module, DWORD reason) {
    if (reason == 1) extend_search_path(module);  // process attach
    return TRUE;
}
