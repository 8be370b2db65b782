// Driving the module through the test host, as the editor does.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "testhost/editor_host.h"
#include "tools/pulvax-run/contact_sheet.h"
#include "tools/pulvax-run/run_options.h"
#include "tools/pulvax-run/y4m.h"

// Sizes the editor's buffers for f and lets the module process one frame
// (frame 0 of a black picture, output discarded) with get_file_info
// reporting f's rate, so that the tempo coupling works at that rate. Then
// runs one func_update with the tracks as they are (the period stored
// again), as the editor does when the filter's settings first settle: the
// coupling's first run always derives the tempo from the period, so a tempo
// given as the first change would otherwise be overwritten.
bool module_start(editor_host& host, const int positions[key_count], const y4m_format& f,
                  std::string& error);

// Checks every setting against its track's range (usage error), then sets
// them in order: value into the track, then func_update.
bool check_settings(const editor_host& host, const int positions[key_count],
                    const std::vector<track_setting>& settings, std::string& error);
bool apply_settings(editor_host& host, const int positions[key_count],
                    const std::vector<track_setting>& settings, std::string& error);

// "ref-x=256 ref-y=192 period=10 ..." as the editor holds the tracks.
std::string tracks_text(const editor_host& host, const int positions[key_count]);

// The clamped beat tracks, as the filter reads them.
beat_tracks read_beat_tracks(const editor_host& host, const int positions[key_count]);

struct frame_result {
    bool changed = false;  // the module swapped the buffers
    bool timed = false;    // the title showed a time
    int time_ms = 0;
};

// Runs frame number index (planes in f's layout) through func_proc; out gets
// the frame the editor would take, in f's layout.
bool module_frame(editor_host& host, const y4m_format& f, int index,
                  const std::vector<uint8_t>& in, std::vector<uint8_t>& out, frame_result& result,
                  std::string& error);

// The summary of the frames' module times: "; module time per frame (PULVAX
// time): min 1 ms, median 3 ms, max 9 ms", the lower median for an even
// count; "" when no frame showed a time.
std::string module_time_text(std::vector<int> times);

// The milliseconds in a title "PULVAX time:%d"; false for any other text.
bool title_time(const std::string& title, int& ms);
