// The command line of pulvax-run.
#pragma once

#include <string>
#include <vector>

#include "tools/beat/beat_command.h"
#include "tools/pulvax-run/run_numbers.h"
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

extern const char run_usage[];
extern const char run_version[];  // "pulvax-run 0.01\n": the release
extern const char beat_usage[];
