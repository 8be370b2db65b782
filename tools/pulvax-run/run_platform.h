// What the tool needs of the operating system: binary standard streams,
// whether a stream is a terminal, and where the executable lies.
#pragma once

#include <stdio.h>

#include <string>

void set_binary_mode(FILE* stream);
bool is_terminal(FILE* stream);

// Directory of the running executable (UTF-8), with a trailing separator;
// empty when unknown.
std::string executable_dir();

// Whether both paths name one existing file (links followed); false when
// either does not exist.
bool same_file(const std::string& a, const std::string& b);

// The module file's name beside the executable: pulvax.auf or pulvax.so.
extern const char default_module_name[];
