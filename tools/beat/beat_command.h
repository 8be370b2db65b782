// `pulvax-run beat FILE [--fps R] [--json] [--beat-nudge MS]`, and the track
// values `--bpm auto` sets, given parsed options.
#pragma once

#include <stdio.h>

#include <string>

#include "tools/beat/beat_editor.h"

struct beat_command_options {
    std::string input;        // WAV, or (with FFmpeg) any audio or video file
    int fps_num = 0;          // --fps as rate / scale (positive); 0 / 0: the file's video rate, else 30
    int fps_den = 0;
    bool json = false;        // --json
    double nudge_ms = 0;      // --beat-nudge: later by this many milliseconds (earlier if negative)
};

// Finds the beat and prints it to out (text, or JSON with json). Returns the
// exit status: 0, or 1 with one message on err for a file that cannot be read
// or holds no beat, a frame rate that is not positive, or a nudge beyond a
// minute. A beat found with a confidence under beat_reliable_confidence is
// printed all the same (exit 0), with "no reliable beat: check by eye, or
// give --bpm" on err.
int beat_command_run(const beat_command_options& options, FILE* out, FILE* err);

// For `--bpm auto` / `--beat-from FILE`: the track values (period with
// period_div 100, start_frame, bpm_x10) for the beat of the file at fps_num /
// fps_den frames per second, moved by nudge_ms. False with a one-line message,
// also for a beat found with a confidence under beat_reliable_confidence.
bool beat_track_values(const char* path, int fps_num, int fps_den, double nudge_ms,
                       beat_editor_values& values, std::string& error);
