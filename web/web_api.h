// The functions the beat page calls in its WebAssembly module. Buffers live
// in the module's memory (web_alloc); strings and records returned stay
// valid until the next call of the same function.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/filter_api.h"

#if defined(__wasm__)
#define WEB_EXPORT(name) __attribute__((export_name(#name)))
#else
#define WEB_EXPORT(name)
#endif

// What the page shows and the editor takes, for one frame rate, nudge, octave
// and song position. The page reads it field by field at these offsets.
struct web_editor_values {
    double bpm;               // the tempo of the octave chosen
    double first_beat_s;      // its first beat, nudged
    double confidence;        // of the found beat
    double frames_per_beat;
    double first_beat_frame;  // the beat start_frame holds, unrounded
    int32_t bpm_x10;
    int32_t period;
    int32_t period_div;
    int32_t start_frame;      // on the timeline, with the song at song_frame
    int32_t stretch_frames;
    int32_t check_by_ear;     // 1: confidence below the finder's threshold
};
static_assert(offsetof(web_editor_values, bpm_x10) == 40, "web_editor_values layout");
static_assert(offsetof(web_editor_values, check_by_ear) == 60, "web_editor_values layout");

extern "C" {

WEB_EXPORT(web_alloc) void* web_alloc(size_t bytes);
WEB_EXPORT(web_free) void web_free(void* p);

// A WAV file through the finder's own reader: 1 and the mono samples, or 0
// and a message.
WEB_EXPORT(web_read_wav) int web_read_wav(const unsigned char* data, size_t size);
WEB_EXPORT(web_wav_samples) const float* web_wav_samples();
WEB_EXPORT(web_wav_count) size_t web_wav_count();
WEB_EXPORT(web_wav_rate) int web_wav_rate();
WEB_EXPORT(web_wav_error) const char* web_wav_error();
WEB_EXPORT(web_wav_release) void web_wav_release();

// Finds the beat of count mono samples at rate and keeps it for the calls
// below; 1 where a beat was found.
WEB_EXPORT(web_find_beat) int web_find_beat(const float* samples, size_t count, int rate);
WEB_EXPORT(web_beat_onsets) int web_beat_onsets();
// The kept beat as web_beat_fields doubles (bpm, first beat, confidence, x2
// bpm and first beat, /2 bpm and first beat, 1 where reliable), to hand it to
// another instance.
enum { web_beat_fields = 8 };
WEB_EXPORT(web_get_beat) void web_get_beat(double* out);
WEB_EXPORT(web_set_beat) void web_set_beat(const double* in);
// The kept beat as `pulvax-run beat --json` prints it.
WEB_EXPORT(web_beat_json) const char* web_beat_json(int fps_num, int fps_den, double nudge_ms);
// The track values for the kept beat (octave 1: x2, -1: /2) at fps_num /
// fps_den, moved later by nudge_ms, with the song starting at song_frame.
WEB_EXPORT(web_editor)
const web_editor_values* web_editor(int fps_num, int fps_den, double nudge_ms, int octave, int song_frame);
// 伸縮F for a bounce of about 0.13 s that fits in the cycle.
// A frame rate as typed ("30", "30000/1001", "29.97"), read as pulvax-run
// reads --fps: out[0] / out[1]; 0 for text that is no frame rate.
WEB_EXPORT(web_parse_fps) int web_parse_fps(const char* text, int32_t* out);
WEB_EXPORT(web_stretch_frames) int web_stretch_frames(int fps_num, int fps_den, int period, int period_div);

// The filter's phase of a frame (-1 before the start frame, 0 unchanged, 1 to 4).
WEB_EXPORT(web_frame_phase)
int web_frame_phase(int period, int period_div, int stretch_frames, int start_frame, int frame);
// One w x h picture (rows packed) through the filter's resampling pass of the
// phase; other phases copy it.
WEB_EXPORT(web_resample)
void web_resample(const PIXEL_YC* src, PIXEL_YC* dst, int w, int h, int ref_x, int ref_y, int phase);
// Pictures in and out of the editor's YCbCr, as pulvax-run converts stills.
WEB_EXPORT(web_rgba_to_yc) void web_rgba_to_yc(const uint8_t* rgba, PIXEL_YC* yc, int w, int h);
WEB_EXPORT(web_yc_to_rgba) void web_yc_to_rgba(const PIXEL_YC* yc, uint8_t* rgba, int w, int h);
// The built-in test card (a frame of pulvax-run's built-in clip).
WEB_EXPORT(web_test_card_w) int web_test_card_w();
WEB_EXPORT(web_test_card_h) int web_test_card_h();
WEB_EXPORT(web_test_card) void web_test_card(PIXEL_YC* yc, int index);
// The resampling table's level ("plain" in WebAssembly).
WEB_EXPORT(web_resample_level) const char* web_resample_level();

}  // extern "C"
