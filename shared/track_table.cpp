#include "shared/track_table.h"

const char label_ref_x[] = "\x8A\xEE\x8F\x80\x78";
const char label_ref_y[] = "\x8A\xEE\x8F\x80\x79";
const char label_period[] = "\x8E\xFC\x8A\xFA";
const char label_period_div[] = "\x8E\xFC\x8A\xFA\x64\x69\x76";
const char label_bpm_x10[] = "\x62\x70\x6D\x2A\x31\x30";
const char label_stretch_frames[] = "\x90\x4C\x8F\x6B\x46";
const char label_start_frame[] = "\x8A\x4A\x8E\x6E\x46";

const char* track_name[track_n] = {
    label_ref_x, label_ref_y, label_period, label_period_div,
    label_bpm_x10, label_stretch_frames, label_start_frame,
};
//                                 ref_x ref_y period div  bpm*10 stretch start
const int track_default[track_n] = {256, 192, 10,    1,   1800,  1,      0};
const int track_s[track_n] = {0, 0, 1, 1, 1, 1, -300};
const int track_e[track_n] = {2000, 2000, 10000, 100, 10000, 10, 300};
