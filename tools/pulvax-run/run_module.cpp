#include "tools/pulvax-run/run_module.h"

#include <string.h>

#include <algorithm>

#include "shared/track_access.h"
#include "tools/pulvax-run/yc_convert.h"

bool module_start(editor_host& host, const int positions[key_count], const y4m_format& f,
                  std::string& error) {
    editor_set_frame_size(host, f.w, f.h, f.w);
    host.video_rate = f.rate;
    host.video_scale = f.scale;
    host.saving = FALSE;
    if (!editor_process(host, 0)) {
        error = "the module failed to process a frame";
        return false;
    }
    const int period = positions[key_period];
    if (!editor_set_track(host, period, host.track[period])) {
        error = "the module refused its own period";
        return false;
    }
    return true;
}

bool check_settings(const editor_host& host, const int positions[key_count],
                    const std::vector<track_setting>& settings, std::string& error) {
    for (const track_setting& s : settings) {
        if (!check_track_range(host.fp, s.key, positions[s.key], s.value, error)) return false;
    }
    return true;
}

bool apply_settings(editor_host& host, const int positions[key_count],
                    const std::vector<track_setting>& settings, std::string& error) {
    for (const track_setting& s : settings) {
        // In range (check_settings ran first), so the value fits a track.
        if (!editor_set_track(host, positions[s.key], static_cast<int>(s.value))) {
            error = std::string("the module refused ") + track_options[s.key].option;
            return false;
        }
    }
    return true;
}

std::string tracks_text(const editor_host& host, const int positions[key_count]) {
    std::string s;
    for (int k = 0; k < key_count; k++) {
        const int v = host.track[positions[k]];
        if (k) s += " ";
        s += track_options[k].option + 2;
        s += "=" + (k == key_bpm ? bpm_text(v) : std::to_string(v));
    }
    return s;
}

beat_tracks read_beat_tracks(const editor_host& host, const int positions[key_count]) {
    beat_tracks t;
    t.period = clamp_track(host.fp, positions[key_period]);
    t.period_div = clamp_track(host.fp, positions[key_period_div]);
    t.stretch_frames = clamp_track(host.fp, positions[key_stretch_frames]);
    t.start_frame = clamp_track(host.fp, positions[key_start_frame]);
    return t;
}

bool title_time(const std::string& title, int& ms) {
    static const char prefix[] = "PULVAX time:";
    const size_t n = sizeof prefix - 1;
    if (title.compare(0, n, prefix) != 0 || title.size() == n) return false;
    long long v = 0;
    size_t i = n;
    const bool negative = title[i] == '-';
    if (negative) i++;
    if (i == title.size()) return false;
    for (; i < title.size(); i++) {
        if (title[i] < '0' || title[i] > '9' || v > 2147483647LL) return false;
        v = v * 10 + (title[i] - '0');
    }
    if (negative) v = -v;
    if (v > 2147483647LL || v < -2147483647LL - 1) return false;
    ms = static_cast<int>(v);
    return true;
}

bool module_frame(editor_host& host, const y4m_format& f, int index,
                  const std::vector<uint8_t>& in, std::vector<uint8_t>& out, frame_result& result,
                  std::string& error) {
    // The samples given are kept to tell whether the filter changed any
    // (one buffer for the run, reused frame after frame).
    static std::vector<PIXEL_YC> given;
    const size_t n = static_cast<size_t>(f.w) * f.h;
    PIXEL_YC* input = editor_input(host);
    planes_to_yc(f, in.data(), input, f.w);
    given.assign(input, input + n);
    if (!editor_process(host, index)) {
        error = "the module failed to process frame " + std::to_string(index);
        return false;
    }
    result.changed = editor_frame_changed(host);
    result.timed = title_time(editor_title(host), result.time_ms);
    const PIXEL_YC* done = editor_output(host);
    static_assert(sizeof(PIXEL_YC) == 6, "PIXEL_YC is three packed samples");
    const bool same = memcmp(given.data(), done, n * sizeof(PIXEL_YC)) == 0;
    if (same) {
        out = in;  // as read, also where the conversion is not exact (over 12 bits)
    } else {
        out.resize(frame_bytes(f));
        yc_to_planes(f, done, f.w, out.data());
    }
    return true;
}

std::string module_time_text(std::vector<int> times) {
    if (times.empty()) return "";
    std::sort(times.begin(), times.end());
    return "; module time per frame (PULVAX time): min " + std::to_string(times.front()) +
           " ms, median " + std::to_string(times[(times.size() - 1) / 2]) + " ms, max " +
           std::to_string(times.back()) + " ms";
}
