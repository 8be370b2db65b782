// The tools keep file names and text in UTF-8. On Windows these calls take
// them to the system's UTF-16 functions, so that any file name works and a
// console shows any character; elsewhere they are the plain C calls.
#pragma once

#include <stdio.h>

#include <string>

// fopen of a UTF-8 file name (Windows: _wfopen).
FILE* utf8_fopen(const char* path, const char* mode);

// remove of a UTF-8 file name (Windows: _wremove).
int utf8_remove(const char* path);

// rename of UTF-8 file names; a file at to is replaced (Windows: MoveFileExW).
int utf8_rename(const char* from, const char* to);

// Whether path names an existing thing that is not a regular file (a device
// such as /dev/full, a pipe, a directory): one that cannot be replaced by
// renaming a file over it.
bool utf8_is_special(const char* path);

// On Windows, replaces argc and argv with the command line read as UTF-16
// (GetCommandLineW) and converted to UTF-8, so that arguments outside the
// ANSI code page arrive intact; elsewhere leaves them as they are. The new
// strings live until the program ends.
void utf8_arguments(int& argc, char**& argv);

// Writes UTF-8 text to the stream. A Windows console is given it as UTF-16
// (WriteConsoleW), so it shows right in any console code page; a pipe or a
// file gets the UTF-8 bytes as they are, with no line-end translation, as on
// Linux. False on a write error.
bool utf8_write(FILE* stream, const std::string& text);

// printf into utf8_write.
bool utf8_printf(FILE* stream, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

#ifdef _WIN32
// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring utf8_to_wide(const char* text);
std::string wide_to_utf8(const wchar_t* text);
#endif
