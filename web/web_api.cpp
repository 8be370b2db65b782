// The beat page's WebAssembly module: the beat finder, the editor's track
// values and the filter's resampling, as plain C functions on buffers the
// page allocates in the module's memory. No I/O.
#include "web/web_api.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "effect/phase_table.h"
#include "effect/resample.h"
#include "effect/resample_kernels.h"
#include "shared/track_table.h"
#include "tools/beat/audio_samples.h"
#include "tools/beat/beat_editor.h"
#include "tools/beat/beat_format.h"
#include "tools/beat/find_beat.h"
#include "tools/beat/wav_reader.h"
#include "tools/pulvax-run/rgb_convert.h"
#include "tools/pulvax-run/run_numbers.h"
#include "tools/pulvax-run/test_clip.h"
#include "tools/pulvax-run/yc_convert.h"

namespace {

audio_samples wav;
std::string wav_error;
beat_result found;
std::string json;
web_editor_values editor;

// The four bounce phases together last about this long.
const double bounce_seconds = 0.13;
// The tracks' ranges, from the filter's own table.
const int stretch_max = track_e[track_stretch_frames];
const int start_frame_min = track_s[track_start_frame], start_frame_max = track_e[track_start_frame];

// The found beat, or its x2 (octave 1) or /2 (octave -1) alternative.
beat_result with_octave(int octave) {
    beat_result r = found;
    const beat_alternative* alt = octave > 0 ? &found.doubled : octave < 0 ? &found.halved : nullptr;
    if (alt) {
        r.bpm = alt->bpm;
        r.first_beat_s = alt->first_beat_s;
    }
    return r;
}

}  // namespace

extern "C" {

void* web_alloc(size_t bytes) { return malloc(bytes ? bytes : 1); }
void web_free(void* p) { free(p); }

int web_read_wav(const unsigned char* data, size_t size) {
    wav = audio_samples();
    wav_error.clear();
    return read_wav(data, size, wav, wav_error) ? 1 : 0;
}
const float* web_wav_samples() { return wav.samples.data(); }
size_t web_wav_count() { return wav.samples.size(); }
int web_wav_rate() { return wav.rate; }
const char* web_wav_error() { return wav_error.c_str(); }
void web_wav_release() { wav = audio_samples(); }

int web_find_beat(const float* samples, size_t count, int rate) {
    found = rate > 0 && samples ? find_beat(samples, count, rate) : beat_result();
    return found.found ? 1 : 0;
}
int web_beat_onsets() { return found.onsets; }

void web_get_beat(double* out) {
    const double fields[web_beat_fields] = {found.bpm,         found.first_beat_s,    found.confidence,
                                            found.doubled.bpm, found.doubled.first_beat_s,
                                            found.halved.bpm,  found.halved.first_beat_s,
                                            found.reliable ? 1.0 : 0.0};
    memcpy(out, fields, sizeof fields);
}

void web_set_beat(const double* in) {
    found = beat_result();
    found.bpm = in[0];
    found.first_beat_s = in[1];
    found.confidence = in[2];
    found.doubled.bpm = in[3];
    found.doubled.first_beat_s = in[4];
    found.halved.bpm = in[5];
    found.halved.first_beat_s = in[6];
    found.reliable = in[7] != 0;
    found.found = found.bpm > 0;
}

const char* web_beat_json(int fps_num, int fps_den, double nudge_ms) {
    json = format_beat_json(found, beat_for_editor(found, fps_num, fps_den, nudge_ms), fps_num, fps_den);
    return json.c_str();
}

int web_parse_fps(const char* text, int32_t* out) {
    int rate = 0, scale = 0;
    if (!parse_fps(text, rate, scale)) return 0;
    out[0] = rate;
    out[1] = scale;
    return 1;
}

int web_stretch_frames(int fps_num, int fps_den, int period, int period_div) {
    if (fps_num <= 0 || fps_den <= 0 || period_div <= 0) return 1;
    const double fps = double(fps_num) / fps_den;
    int g = int(floor(bounce_seconds * fps / 4 + 0.5));
    g = g < 1 ? 1 : g > stretch_max ? stretch_max : g;
    // The four phases must leave the cycle a frame of rest.
    while (g > 1 && 4LL * g * period_div >= period) --g;
    return g;
}

const web_editor_values* web_editor(int fps_num, int fps_den, double nudge_ms, int octave, int song_frame) {
    const beat_result r = with_octave(octave);
    const beat_editor_values v = beat_for_editor(r, fps_num, fps_den, nudge_ms);
    editor = web_editor_values();
    editor.bpm = r.bpm;
    editor.first_beat_s = r.first_beat_s + nudge_ms / 1000;
    editor.confidence = found.confidence;
    editor.frames_per_beat = v.frames_per_beat;
    editor.bpm_x10 = v.bpm_x10;
    editor.period = v.period;
    editor.period_div = v.period_div;
    editor.check_by_ear = found.reliable ? 0 : 1;
    if (!(v.frames_per_beat > 0)) return &editor;
    editor.stretch_frames = web_stretch_frames(fps_num, fps_den, v.period, v.period_div);
    // A song placed later on the timeline moves its beats with it; the
    // track's range is reached by whole beats.
    double first = v.first_beat_frame + song_frame;
    while (first > start_frame_max + 0.49) first -= v.frames_per_beat;
    while (first < start_frame_min - 0.5) first += v.frames_per_beat;
    editor.first_beat_frame = first;
    editor.start_frame = int(floor(first + 0.5));
    return &editor;
}

int web_frame_phase(int period, int period_div, int stretch_frames, int start_frame, int frame) {
    return frame_phase(beat_tracks{period, period_div, stretch_frames, start_frame}, frame);
}

void web_resample(const PIXEL_YC* src, PIXEL_YC* dst, int w, int h, int ref_x, int ref_y, int phase) {
    if (!src || !dst || w < 1 || h < 1) return;
    if (phase < 1 || phase > 4) {
        memcpy(dst, src, sizeof(PIXEL_YC) * size_t(w) * h);
        return;
    }
    resample_frame(phase_job(src, dst, w, h, w, ref_x, ref_y, phase));
}

void web_rgba_to_yc(const uint8_t* rgba, PIXEL_YC* yc, int w, int h) {
    const y4m_format f = generated_format(w, h, chroma_444, "C444");
    const size_t area = size_t(w) * h;
    std::vector<uint8_t> rgb(3 * area), planes(frame_bytes(f));
    for (size_t i = 0; i < area; i++) memcpy(&rgb[3 * i], &rgba[4 * i], 3);
    rgb_to_planes(f, rgb.data(), planes.data());
    planes_to_yc(f, planes.data(), yc, w);
}

void web_yc_to_rgba(const PIXEL_YC* yc, uint8_t* rgba, int w, int h) {
    const size_t area = size_t(w) * h;
    for (size_t i = 0; i < area; i++) {
        uint8_t* p = &rgba[4 * i];
        ycbcr_to_rgb(yc_to_luma(yc[i].y), yc_to_chroma(yc[i].cb), yc_to_chroma(yc[i].cr), p[0], p[1], p[2]);
        p[3] = 255;
    }
}

int web_test_card_w() { return test_clip_w; }
int web_test_card_h() { return test_clip_h; }
void web_test_card(PIXEL_YC* yc, int index) {
    const y4m_format f = test_clip_format();
    std::vector<uint8_t> planes;
    test_clip_frame(index, planes);
    planes_to_yc(f, planes.data(), yc, f.w);
}

const char* web_resample_level() { return resample_level_name(resample_level()); }

}  // extern "C"
