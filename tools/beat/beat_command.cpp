#include "tools/beat/beat_command.h"

#include <math.h>
#include <stdio.h>

#include "tools/beat/audio_input.h"
#include "tools/beat/beat_format.h"
#include "tools/beat/find_beat.h"
#include "tools/utf8/utf8_file.h"

namespace {

const int default_fps = 30;
const char unreliable_text[] = "no reliable beat: check by eye, or give --bpm";

// Reads the file and finds its beat, on the video's timeline.
bool analyse_file(const char* path, audio_samples& audio, beat_result& result, std::string& error) {
    if (!read_audio(path, audio, error)) return false;
    result = find_beat(audio.samples.data(), audio.samples.size(), audio.rate);
    if (!result.found) {
        char text[120];
        snprintf(text, sizeof text, ": no steady beat found (%d onsets in %.1f s of sound)", result.onsets,
                 double(audio.samples.size()) / audio.rate);
        error = path + std::string(text);
        return false;
    }
    // Beat times count from the first sample; move them to the video's
    // timeline, then back to the earliest beat at or after its time 0.
    double period = 60 / result.bpm;
    auto shift = [&](double t, double p) {
        t += audio.start_s;
        return t - p * floor(t / p);
    };
    result.first_beat_s = shift(result.first_beat_s, period);
    result.doubled.first_beat_s = shift(result.doubled.first_beat_s, period / 2);
    result.halved.first_beat_s = shift(result.halved.first_beat_s, period * 2);
    return true;
}

bool valid_fps(int num, int den) { return num > 0 && den > 0; }

// Nudges beyond a minute are surely mistakes.
const double max_nudge_ms = 60000;

bool check_beat_options(int fps_num, int fps_den, double nudge_ms, std::string& error) {
    if (!valid_fps(fps_num, fps_den)) {
        error = "the frame rate must be positive";
        return false;
    }
    if (!(fabs(nudge_ms) <= max_nudge_ms)) {
        error = "the beat nudge must lie within -60000..60000 ms";
        return false;
    }
    return true;
}

}  // namespace

int beat_command_run(const beat_command_options& options, FILE* out, FILE* err) {
    audio_samples audio;
    beat_result result;
    std::string error;
    bool fps_given = options.fps_num != 0 || options.fps_den != 0;
    if (!check_beat_options(fps_given ? options.fps_num : 1, fps_given ? options.fps_den : 1, options.nudge_ms,
                            error) ||
        !analyse_file(options.input.c_str(), audio, result, error)) {
        utf8_printf(err, "pulvax-run beat: %s\n", error.c_str());
        return 1;
    }
    int num = default_fps, den = 1;
    if (fps_given) {
        num = options.fps_num;
        den = options.fps_den;
    } else if (valid_fps(audio.video_fps_num, audio.video_fps_den)) {
        num = audio.video_fps_num;
        den = audio.video_fps_den;
    }
    beat_editor_values values = beat_for_editor(result, num, den, options.nudge_ms);
    std::string text = options.json ? format_beat_json(result, values, num, den)
                                    : format_beat_text(result, values, num, den);
    // The values stand, for a look at the grid against the sound; a script
    // reads "reliable" in the JSON.
    if (!utf8_write(out, text)) return 1;
    if (!result.reliable) utf8_printf(err, "pulvax-run beat: %s: %s\n", options.input.c_str(), unreliable_text);
    return 0;
}

bool beat_track_values(const char* path, int fps_num, int fps_den, double nudge_ms,
                       beat_editor_values& values, std::string& error) {
    if (!check_beat_options(fps_num, fps_den, nudge_ms, error)) return false;
    audio_samples audio;
    beat_result result;
    if (!analyse_file(path, audio, result, error)) return false;
    if (!result.reliable) {
        char text[40];
        snprintf(text, sizeof text, " (confidence %.2f)", result.confidence);
        error = path + std::string(": ") + unreliable_text + text;
        return false;
    }
    values = beat_for_editor(result, fps_num, fps_den, nudge_ms);
    return true;
}
