// The command line of pulvax-run.
#pragma once

#include <string>
#include <vector>

#include "tools/beat/beat_command.h"
#include "tools/pulvax-run/run_tracks.h"

// A track setting of the command line. key_beat stands for the tempo found in
// a song's sound (--bpm auto, --beat-from): it becomes period_div, period and
// start_frame settings once the stream's frame rate is known.
enum { key_beat = key_count };

struct track_setting {
    int key;          // track_key, or key_beat
    long long value;  // for key_bpm: beats per minute times ten; range-checked later
};

struct run_options {
    std::string input;   // empty: the built-in clip; "-": standard input
    std::string output;  // empty: no video written; "-": standard output
    std::string sheet;   // contact sheet PNG, or empty
    std::string module;  // module file, or empty for the one beside the executable
    bool have_fps = false;
    int fps_rate = 0, fps_scale = 0;
    int frames = -1;  // --frames, or -1
    std::string codec;  // --codec: video encoder for video file output, or empty
    int crf = -1;       // --crf, or -1
    bool print_tracks = false;
    bool help = false;
    bool version = false;  // --version
    std::vector<track_setting> settings;  // in command-line order
    // The beat from sound: --bpm auto takes the input's sound, --beat-from
    // FILE another file's; --beat-nudge moves the found beat.
    std::string beat_from;
    double beat_nudge_ms = 0;
    // pulvax-run beat FILE [--fps R] [--json] [--beat-nudge MS]
    bool beat_command = false;
    beat_command_options beat;
};

// Parses argv[1..] with CLI11 (see run_options.cpp for how a subcommand
// fits in). False with a message for a usage error.
bool parse_run_options(int argc, char** argv, run_options& options, std::string& error);

// Beats per minute as a decimal with at most one decimal place, to bpm*10
// ("128" -> 1280, "128.5" -> 1285), at most nine digits, so never beyond
// what a long long holds. False for anything else.
bool parse_bpm(const char* text, long long& bpm_x10);

// A signed decimal integer of at most 18 digits (no wrap-around), for the
// track values, whose range the module's record gives.
bool parse_long(const char* text, long long& value);

// A frame rate: "30", "30000/1001", "30000:1001" or a decimal such as "29.97"
// (at most three decimal places), as rate / scale.
bool parse_fps(const char* text, int& rate, int& scale);

// Milliseconds with an optional sign and at most three decimal places
// ("-12.5"), at most nine digits.
bool parse_ms(const char* text, double& ms);

// A signed decimal integer that fits in 32 bits, nothing else.
bool parse_int(const char* text, int& value);

extern const char run_usage[];
extern const char run_version[];  // "pulvax-run 0.01\n": the release
extern const char beat_usage[];
