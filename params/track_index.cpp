#include "params/track_index.h"

#include <stdarg.h>
#include <stdio.h>

#include "shared/track_access.h"
#include "shared/track_table.h"

std::map<std::string, int> track_index;
int (*track_message_box)(HWND, const char*, const char*, UINT) = nullptr;

// "track %s は存在しません" (track %s does not exist) and "エラー" (error), Shift-JIS.
static const char missing_track_format[] =
    "\x74\x72\x61\x63\x6B\x20\x25\x73\x20\x82\xCD\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9\x82\xF1";
static const char error_caption[] = "\x83\x47\x83\x89\x81\x5B";

void build_track_index() {
    track_index.clear();
    for (int i = 0; i < track_n; i++) track_index[track_name[i]] = i;
}

// Bounded formatting: the text is cut at the buffer's end, never written past it.
static void format_message(char* buf, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(buf, size, format, args);
    va_end(args);
}

int track_position(const char* label) {
    std::map<std::string, int>::const_iterator it = track_index.find(label);
    return it == track_index.end() ? -1 : it->second;
}

int read_track(const char* label, FILTER* fp) {
    const int i = track_position(label);
    if (i < 0) {
        // Static, so that every read (most never need it) keeps the
        // callback's stack small; the editor's calls come one at a time.
        static char message[8192];
        format_message(message, sizeof message, missing_track_format, label);
        if (track_message_box) track_message_box(fp->hwnd, message, error_caption, 0 /* MB_OK */);
        return 0;
    }
    return clamp_track(*fp, i);
}
