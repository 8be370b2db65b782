// --bpm auto and --beat-from: the beat found in a song's sound, as the track
// settings that stand for it.
#pragma once

#include <string>
#include <vector>

#include "tools/pulvax-run/run_options.h"

// Finds the beat of beat_from (moved by nudge_ms) at rate / scale frames per
// second and puts, in place of every key_beat setting, the settings period_div,
// period and start_frame, in that order (so that the tempo coupling takes the
// period at full precision). summary tells what was found. Settings without
// key_beat are left as they are and the file is not read. False with a
// message for a file without a usable sound or beat.
bool resolve_beat_settings(std::vector<track_setting>& settings, const std::string& beat_from, double nudge_ms,
                           int rate, int scale, std::string& summary, std::string& error);
