// `pulvax-run beat` given parsed options, and the track values for
// `--bpm auto`: generated songs written as files, and broken files.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/beat/audio_input.h"
#include "tools/beat/beat_command.h"
#include "tools/beat/find_beat.h"
#include "tools/beat/synth_song.h"

namespace {

std::string temp_path(const char* name) { return testing::TempDir() + "pulvax_beat_" + name; }

void write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    fclose(f);
}

// What the command wrote to a stream.
struct captured {
    FILE* file = tmpfile();
    ~captured() {
        if (file) fclose(file);
    }
    std::string text() {
        std::string out;
        rewind(file);
        int c;
        while ((c = fgetc(file)) != EOF) out += char(c);
        return out;
    }
};

struct run_result {
    int status;
    std::string out, err;
};

run_result run(const beat_command_options& options) {
    captured out, err;
    run_result r;
    r.status = beat_command_run(options, out.file, err.file);
    r.out = out.text();
    r.err = err.text();
    return r;
}

// A number after "key": in one line of JSON.
double json_number(const std::string& json, const char* key) {
    std::string k = std::string("\"") + key + "\":";
    size_t at = json.find(k);
    if (at == std::string::npos) return NAN;
    return strtod(json.c_str() + at + k.size(), nullptr);
}

song_recipe test_song() {
    // style, BPM, first beat, seconds, rate, noise, seed
    return {style_four_on_the_floor, 128, 0.37, 12, 44100, true, 1};
}

TEST(beat_command, prints_tempo_and_track_values_from_a_wav_file) {
    song_recipe s = test_song();
    std::string path = temp_path("song.wav");
    write_file(path, encode_wav(synth_song(s), s.rate, 2, false));

    beat_command_options options;
    options.input = path;
    run_result text = run(options);
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.err, "");
    EXPECT_NE(text.out.find("tempo        128.0 BPM"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("at 30 fps"), std::string::npos) << "30 fps without --fps or video";

    options.json = true;
    options.fps_num = 25;
    options.fps_den = 1;
    run_result json = run(options);
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NEAR(json_number(json.out, "bpm"), 128, 0.05);
    EXPECT_NEAR(json_number(json.out, "first_beat_s"), 0.37, 0.01);
    EXPECT_EQ(json_number(json.out, "bpm_x10"), 1280);
    EXPECT_EQ(json_number(json.out, "period"), 1172);  // 25 * 60 / 128 = 11.72 frames
    EXPECT_EQ(json_number(json.out, "period_div"), 100);
    EXPECT_EQ(json_number(json.out, "start_frame"), -2);  // 9.25 - 11.72 = -2.47
    EXPECT_EQ(json_number(json.out, "fps"), 25);

    // 100 ms later: frame 11.75 - 11.72 = 0.03, the beat at frame 0.
    options.nudge_ms = 100;
    run_result nudged = run(options);
    ASSERT_EQ(nudged.status, 0) << nudged.err;
    EXPECT_EQ(json_number(nudged.out, "start_frame"), 0);
    remove(path.c_str());
}

TEST(beat_command, reports_unreadable_input_once_and_prints_nothing) {
    song_recipe s = test_song();
    std::vector<unsigned char> wav = encode_wav(synth_song(s), s.rate, 1, true);
    std::vector<unsigned char> truncated(wav.begin(), wav.begin() + wav.size() / 2);
    std::vector<unsigned char> zero_channels = wav;
    zero_channels[22] = 0;  // channel count
    std::vector<unsigned char> silent = encode_wav(std::vector<float>(44100 * 6, 0.0f), 44100, 1, false);
    struct case_t {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* message;
    } cases[] = {
        {"truncated.wav", truncated, "truncated"},
        {"zero_channels.wav", zero_channels, "zero channels"},
        {"silent.wav", silent, "no steady beat"},
        {"garbage.bin", std::vector<unsigned char>(1000, 0x5A), "garbage.bin"},
    };
    for (const case_t& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = temp_path(c.name);
        write_file(path, c.bytes);
        beat_command_options options;
        options.input = path;
        run_result r = run(options);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        remove(path.c_str());
    }
    // Options that make no sense are refused before the file is read.
    struct option_case {
        int fps_num, fps_den;
        double nudge_ms;
        const char* message;
    } option_cases[] = {
        {-30, 1, 0, "frame rate"},
        {30, 0, 0, "frame rate"},
        {30, 1, NAN, "nudge"},
        {30, 1, 1e9, "nudge"},
    };
    for (const option_case& c : option_cases) {
        beat_command_options options;
        options.input = temp_path("never_read.wav");
        options.fps_num = c.fps_num;
        options.fps_den = c.fps_den;
        options.nudge_ms = c.nudge_ms;
        run_result r = run(options);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    beat_command_options missing;
    missing.input = temp_path("does_not_exist.wav");
    run_result r = run(missing);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("does_not_exist.wav"), std::string::npos) << r.err;
}

// The alternatives are grids of the found beat: x2 puts a beat between each
// two, /2 keeps every other one, on the stronger beats: in the generated
// four-on-the-floor song the backbeat (snare on 2 and 4), one beat after the
// first, 0.37 + 60 / 128 = 0.839 s.
TEST(find_beat, alternatives_are_beats_of_the_found_grid) {
    const song_recipe s = test_song();
    const std::vector<float> song = synth_song(s);
    const beat_result r = find_beat(song.data(), song.size(), s.rate);
    ASSERT_TRUE(r.found);
    const double beat = 60 / r.bpm;
    EXPECT_NEAR(r.doubled.bpm, 2 * r.bpm, 1e-9);
    EXPECT_NEAR(r.halved.bpm, r.bpm / 2, 1e-9);
    EXPECT_NEAR(r.first_beat_s, 0.37, 0.01);
    EXPECT_NEAR(r.halved.first_beat_s, 0.37 + 60.0 / 128, 0.01);
    EXPECT_NEAR(fmod(r.halved.first_beat_s - r.first_beat_s + beat / 4, beat), beat / 4, 1e-6);
    EXPECT_GE(r.doubled.first_beat_s, 0);
    EXPECT_LT(r.doubled.first_beat_s, beat / 2);
    EXPECT_NEAR(r.doubled.first_beat_s, 0.37 - 30.0 / 128, 0.01);
}

TEST(beat_track_values, gives_period_at_full_precision_and_the_start_frame) {
    song_recipe s = test_song();
    s.bpm = 131.7;  // 13.667 frames per beat at 30 fps
    std::string path = temp_path("auto.wav");
    write_file(path, encode_wav(synth_song(s), s.rate, 1, false));
    beat_editor_values v;
    std::string error;
    ASSERT_TRUE(beat_track_values(path.c_str(), 30, 1, 0, v, error)) << error;
    EXPECT_EQ(v.period, 1367);
    EXPECT_EQ(v.period_div, 100);
    EXPECT_EQ(v.bpm_x10, 1317);
    EXPECT_EQ(v.start_frame, -3);  // 11.1 - 13.667 = -2.57
    EXPECT_FALSE(beat_track_values(path.c_str(), 0, 1, 0, v, error));
    EXPECT_FALSE(beat_track_values(temp_path("nothing.wav").c_str(), 30, 1, 0, v, error));
    EXPECT_NE(error.find("nothing.wav"), std::string::npos) << error;
    remove(path.c_str());
}

// Soft clicks at 120 BPM under white noise: a beat is there, but barely
// stands out of what lies between the beats.
std::vector<float> clicks_in_noise(int rate, double click_level) {
    std::vector<float> s(size_t(rate) * 20);
    unsigned state = 7;
    for (size_t i = 0; i < s.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        double v = 0.2 * (double(state >> 8) / double(1u << 24) * 2 - 1);
        double t = fmod(double(i) / rate, 0.5);
        if (t < 0.03) v += 5 * click_level * sin(6.283185307179586 * 1000 * t) * exp(-t / 0.008);
        s[i] = float(v);
    }
    return s;
}

// A beat found with too little confidence is printed for a look (exit 0,
// with a warning), but --bpm auto does not render with it; noise has no
// beat at all.
TEST(beat_command, warns_of_an_unreliable_beat_and_auto_refuses_it) {
    const int rate = 44100;
    std::vector<float> noise(size_t(rate) * 20);
    unsigned state = 99;
    for (float& v : noise) {
        state = state * 1664525u + 1013904223u;
        v = float(0.3 * (double(state >> 8) / double(1u << 24) * 2 - 1));
    }
    std::string faint = temp_path("faint.wav"), hiss = temp_path("hiss.wav");
    write_file(faint, encode_wav(clicks_in_noise(rate, 0.03), rate, 1, false));
    write_file(hiss, encode_wav(noise, rate, 1, false));

    beat_command_options options;
    options.input = faint;
    options.json = true;
    run_result r = run(options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"reliable\":false"), std::string::npos) << r.out;
    EXPECT_LT(json_number(r.out, "confidence"), beat_reliable_confidence);
    EXPECT_EQ(r.err, "pulvax-run beat: " + faint + ": no reliable beat: check by eye, or give --bpm\n");
    beat_editor_values v;
    std::string error;
    EXPECT_FALSE(beat_track_values(faint.c_str(), 30, 1, 0, v, error));
    EXPECT_NE(error.find(faint + ": no reliable beat: check by eye, or give --bpm"), std::string::npos) << error;

    options.input = hiss;
    r = run(options);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no steady beat found"), std::string::npos) << r.err;
    EXPECT_FALSE(beat_track_values(hiss.c_str(), 30, 1, 0, v, error));
    EXPECT_NE(error.find("no steady beat found"), std::string::npos) << error;

    // The clicks a little louder are a reliable beat.
    write_file(faint, encode_wav(clicks_in_noise(rate, 0.1), rate, 1, false));
    EXPECT_TRUE(beat_track_values(faint.c_str(), 30, 1, 0, v, error)) << error;
    EXPECT_EQ(v.bpm_x10, 1200);
    remove(faint.c_str());
    remove(hiss.c_str());
}

#ifdef PULVAX_BEAT_FFMPEG
// Every sample layout FFmpeg's decoders hand over, packed and planar, gives
// the samples of the WAV file it was made from (lossless codecs) or its beat
// (AAC, planar float).
TEST(read_audio_file, converts_every_sample_format) {
    if (system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program to make the files";
    song_recipe s = test_song();
    std::string wav = temp_path("formats.wav");
    write_file(wav, encode_wav(synth_song(s), s.rate, 2, false));
    audio_samples reference;
    std::string error;
    ASSERT_TRUE(read_audio(wav.c_str(), reference, error)) << error;
    struct case_t {
        const char* codec;  // decoded sample format in the comment
        const char* container;
        double tolerance;   // largest difference from the 16-bit samples; < 0: compare the beat only
    } cases[] = {
        {"pcm_u8", "nut", 1.0 / 128},   // u8
        {"pcm_s16le", "nut", 0},        // s16
        {"pcm_s32le", "nut", 0},        // s32
        {"pcm_f32le", "nut", 0},        // flt
        {"pcm_f64le", "nut", 0},        // dbl
        {"pcm_s16le_planar", "nut", 0}, // s16p
        {"pcm_s32le_planar", "nut", 0}, // s32p
        {"flac", "mka", 0},             // s16
        {"aac", "mp4", -1},             // fltp
    };
    for (const case_t& c : cases) {
        SCOPED_TRACE(c.codec);
        std::string file = temp_path("format.") + c.container;
        std::string command = "ffmpeg -v error -y -i " + wav + " -c:a " + c.codec + " " + file;
        ASSERT_EQ(system(command.c_str()), 0) << command;
        audio_samples decoded;
        ASSERT_TRUE(read_audio(file.c_str(), decoded, error)) << error;
        EXPECT_EQ(decoded.rate, s.rate);
        EXPECT_EQ(decoded.video_fps_num, 0);
        if (c.tolerance >= 0) {
            ASSERT_EQ(decoded.samples.size(), reference.samples.size());
            double worst = 0;
            for (size_t i = 0; i < decoded.samples.size(); ++i)
                worst = std::max(worst, double(fabs(decoded.samples[i] - reference.samples[i])));
            EXPECT_LE(worst, c.tolerance + 1e-7);
        } else {
            beat_result r = find_beat(decoded.samples.data(), decoded.samples.size(), decoded.rate);
            ASSERT_TRUE(r.found);
            EXPECT_NEAR(r.bpm, s.bpm, 0.05);
            EXPECT_NEAR(r.first_beat_s + decoded.start_s, s.first_beat_s, 0.01) << decoded.start_s;
        }
        remove(file.c_str());
    }
    remove(wav.c_str());
}

// Through FFmpeg: video files whose sound starts later than their picture
// give beat times on the picture's timeline (the song's first beat at 0.37 s
// plus the offset) and the video's frame rate. Containers start their streams
// differently (MPEG-TS at 1.4 s; MP4 shifts AAC by its priming samples).
TEST(beat_command, reads_video_files_on_the_video_timeline) {
    if (system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program to make the files";
    song_recipe s = test_song();
    std::string wav = temp_path("for_video.wav");
    write_file(wav, encode_wav(synth_song(s), s.rate, 2, false));
    struct case_t {
        const char* file;
        const char* codecs;
        double offset_s;
        int fps;
    } cases[] = {
        {"video.mkv", "-c:v mpeg4 -c:a flac", 0.5, 25},
        {"video.mp4", "-c:v mpeg4 -c:a aac", 0.25, 30},
        {"video.ts", "-c:v mpeg2video -c:a mp2", 0.1, 25},
    };
    for (const case_t& c : cases) {
        SCOPED_TRACE(c.file);
        std::string video = temp_path(c.file);
        std::string command = "ffmpeg -v error -y -f lavfi -i color=c=gray:s=64x48:r=" + std::to_string(c.fps) +
                              ":d=13 -itsoffset " + std::to_string(c.offset_s) + " -i " + wav + " -map 0:v -map 1:a " +
                              c.codecs + " " + video;
        ASSERT_EQ(system(command.c_str()), 0) << command;
        beat_command_options options;
        options.input = video;
        options.json = true;
        run_result r = run(options);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NEAR(json_number(r.out, "bpm"), 128, 0.05);
        double beat = 60 / 128.0, first = s.first_beat_s + c.offset_s;
        EXPECT_NEAR(json_number(r.out, "first_beat_s"), first - beat * floor(first / beat), 0.01);
        EXPECT_EQ(json_number(r.out, "fps"), c.fps);
        remove(video.c_str());
    }
    remove(wav.c_str());
}

#endif

}  // namespace
