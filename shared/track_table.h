// The filter's seven track bars: labels, initial values and ranges, as four
// parallel arrays that the filter record hands to the editor. A track's position
// is its index in these arrays and in the editor's track array.
#pragma once

// The tracks' positions, in the order of the arrays below.
enum track_position {
    track_ref_x,
    track_ref_y,
    track_period,
    track_period_div,
    track_bpm_x10,
    track_stretch_frames,
    track_start_frame,
    track_n
};

// Labels in the Japanese ANSI code page (Shift-JIS), NUL-terminated.
extern const char label_ref_x[];           // "基準x"
extern const char label_ref_y[];           // "基準y"
extern const char label_period[];          // "周期"
extern const char label_period_div[];      // "周期div"
extern const char label_bpm_x10[];         // "bpm*10"
extern const char label_stretch_frames[];  // "伸縮F"
extern const char label_start_frame[];     // "開始F"

// The same labels in UTF-8, for text a terminal or a page shows.
extern const char* const track_label_utf8[track_n];

extern const char* track_name[track_n];
extern const int track_default[track_n];
extern const int track_s[track_n];
extern const int track_e[track_n];
