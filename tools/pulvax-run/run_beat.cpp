#include "tools/pulvax-run/run_beat.h"

#include <stdio.h>

#include "tools/beat/beat_command.h"

bool resolve_beat_settings(std::vector<track_setting>& settings, const std::string& beat_from, double nudge_ms,
                           int rate, int scale, std::string& summary, std::string& error) {
    bool wanted = false;
    for (const track_setting& s : settings) wanted = wanted || s.key == key_beat;
    if (!wanted) return true;
    beat_editor_values v;
    if (!beat_track_values(beat_from.c_str(), rate, scale, nudge_ms, v, error)) {
        error = "--bpm auto: " + error;
        return false;
    }
    std::vector<track_setting> resolved;
    for (const track_setting& s : settings) {
        if (s.key != key_beat) {
            resolved.push_back(s);
            continue;
        }
        resolved.push_back({key_period_div, v.period_div});
        resolved.push_back({key_period, v.period});
        resolved.push_back({key_start_frame, v.start_frame});
    }
    settings.swap(resolved);
    char text[200];
    snprintf(text, sizeof text, "beat of %s: %.3f frames a beat (bpm*10 %d), period %d/%d, start frame %d",
             beat_from.c_str(), v.frames_per_beat, v.bpm_x10, v.period, v.period_div, v.start_frame);
    summary = text;
    return true;
}
