#include "tools/beat/beat_format.h"

#include <stdarg.h>
#include <stdio.h>

#include "shared/track_table.h"

namespace {

void append(std::string& out, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    out += text;
}

std::string fps_text(int fps_num, int fps_den) {
    std::string out;
    if (fps_den == 1) append(out, "%d", fps_num);
    else append(out, "%d/%d (%.3f)", fps_num, fps_den, double(fps_num) / fps_den);
    return out;
}

}  // namespace

std::string format_beat_text(const beat_result& r, const beat_editor_values& v, int fps_num, int fps_den) {
    std::string out;
    append(out, "tempo        %.1f BPM (%.4f)\n", r.bpm, r.bpm);
    append(out, "first beat   %.3f s\n", r.first_beat_s);
    append(out, "confidence   %.2f\n", r.confidence);
    append(out, "for the editor at %s fps (%.4f frames per beat):\n", fps_text(fps_num, fps_den).c_str(),
           v.frames_per_beat);
    append(out, "  %s %d   %s %d   %s %d   %s %d\n", track_label_utf8[track_period], v.period,
           track_label_utf8[track_period_div], v.period_div, track_label_utf8[track_bpm_x10], v.bpm_x10,
           track_label_utf8[track_start_frame], v.start_frame);
    append(out, "alternatives x2 %.1f BPM (%.4f, first beat %.3f s), /2 %.1f BPM (%.4f, first beat %.3f s)\n",
           r.doubled.bpm, r.doubled.bpm, r.doubled.first_beat_s, r.halved.bpm, r.halved.bpm,
           r.halved.first_beat_s);
    return out;
}

std::string format_beat_json(const beat_result& r, const beat_editor_values& v, int fps_num, int fps_den) {
    std::string out;
    append(out, "{\"bpm\":%.12g,\"first_beat_s\":%.9g,\"confidence\":%.4g,\"reliable\":%s,", r.bpm,
           r.first_beat_s, r.confidence, r.reliable ? "true" : "false");
    append(out, "\"bpm_x10\":%d,\"start_frame\":%d,\"period\":%d,\"period_div\":%d,", v.bpm_x10,
           v.start_frame, v.period, v.period_div);
    append(out, "\"frames_per_beat\":%.12g,\"fps\":%.12g,", v.frames_per_beat, double(fps_num) / fps_den);
    append(out, "\"double\":{\"bpm\":%.12g,\"first_beat_s\":%.9g},", r.doubled.bpm, r.doubled.first_beat_s);
    append(out, "\"half\":{\"bpm\":%.12g,\"first_beat_s\":%.9g}}\n", r.halved.bpm, r.halved.first_beat_s);
    return out;
}
