#include "tools/beat/beat_command.h"

#include <math.h>

#include "tools/beat/audio_input.h"
#include "tools/beat/beat_format.h"
#include "tools/beat/find_beat.h"

namespace {

const int default_fps = 30;

// Reads the file and finds its beat, on the video's timeline.
bool analyse_file(const char* path, audio_samples& audio, beat_result& result, std::string& error) {
    if (!read_audio(path, audio, error)) return false;
    result = find_beat(audio.samples.data(), audio.samples.size(), audio.rate);
    if (!result.found) {
        error = std::string(path) + ": no steady beat found (" + std::to_string(result.onsets) +
                " onsets in " + std::to_string(double(audio.samples.size()) / audio.rate) + " s of sound)";
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

}  // namespace

int beat_command_run(const beat_command_options& options, FILE* out, FILE* err) {
    audio_samples audio;
    beat_result result;
    std::string error;
    if (!analyse_file(options.input.c_str(), audio, result, error)) {
        fprintf(err, "pulvax-run beat: %s\n", error.c_str());
        return 1;
    }
    int num = default_fps, den = 1;
    if (valid_fps(options.fps_num, options.fps_den)) {
        num = options.fps_num;
        den = options.fps_den;
    } else if (valid_fps(audio.video_fps_num, audio.video_fps_den)) {
        num = audio.video_fps_num;
        den = audio.video_fps_den;
    }
    beat_editor_values values = beat_for_editor(result, num, den, options.nudge_ms);
    std::string text = options.json ? format_beat_json(result, values, num, den)
                                    : format_beat_text(result, values, num, den);
    fputs(text.c_str(), out);
    return 0;
}

bool beat_track_values(const char* path, int fps_num, int fps_den, double nudge_ms,
                       beat_editor_values& values, std::string& error) {
    if (!valid_fps(fps_num, fps_den)) {
        error = "frame rate must be positive";
        return false;
    }
    audio_samples audio;
    beat_result result;
    if (!analyse_file(path, audio, result, error)) return false;
    values = beat_for_editor(result, fps_num, fps_den, nudge_ms);
    return true;
}
