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
const char* const track_label_utf8[track_n] = {
    "\xE5\x9F\xBA\xE6\xBA\x96\x78",          // 基準x
    "\xE5\x9F\xBA\xE6\xBA\x96\x79",          // 基準y
    "\xE5\x91\xA8\xE6\x9C\x9F",              // 周期
    "\xE5\x91\xA8\xE6\x9C\x9F\x64\x69\x76",  // 周期div
    "\x62\x70\x6D\x2A\x31\x30",              // bpm*10
    "\xE4\xBC\xB8\xE7\xB8\xAE\x46",          // 伸縮F
    "\xE9\x96\x8B\xE5\xA7\x8B\x46",          // 開始F
};

//                                 ref_x ref_y period div  bpm*10 stretch start
const int track_default[track_n] = {256, 192, 10,    1,   1800,  1,      0};
const int track_s[track_n] = {0, 0, 1, 1, 1, 1, -300};
const int track_e[track_n] = {2000, 2000, 10000, 100, 10000, 10, 300};
