#include "shared/track_access.h"

#include <string.h>

int track_position_in(const FILTER& record, const char* label) {
    if (!record.track_name || !label) return -1;
    for (int i = record.track_n - 1; i >= 0; i--) {
        if (record.track_name[i] && strcmp(record.track_name[i], label) == 0) return i;
    }
    return -1;
}

int clamp_track(const FILTER& fp, int position) {
    int v = fp.track[position];
    if (v < fp.track_s[position]) v = fp.track_s[position];
    if (fp.track_e[position] < v) v = fp.track_e[position];
    return v;
}
