#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/pulvax-run/frame_sink.h"
#include "tools/pulvax-run/run_module.h"
#include "tools/pulvax-run/run_options.h"

TEST(run_options, bpm_takes_at_most_one_decimal) {
    const struct {
        const char* text;
        bool ok;
        long long x10;
    } cases[] = {
        {"128", true, 1280}, {"128.5", true, 1285}, {"0.1", true, 1},     {"1000.0", true, 10000},
        {"120.0", true, 1200}, {"128.55", false, 0}, {"128.", false, 0},  {".5", true, 5},
        {"-120", false, 0},  {"12a", false, 0},     {"", false, 0},       {"1.2.3", false, 0},
        {"9999999999", false, 0},
        // Nine digits fit and are not wrapped to 32 bits: the range check sees them.
        {"429496730", true, 4294967300LL}, {"999999999", true, 9999999990LL},
    };
    for (const auto& c : cases) {
        long long v = -1;
        EXPECT_EQ(parse_bpm(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.x10) << c.text;
        }
    }
}

TEST(run_options, frame_rates) {
    const struct {
        const char* text;
        bool ok;
        int rate, scale;
    } cases[] = {
        {"30", true, 30, 1},          {"30000/1001", true, 30000, 1001}, {"24000:1001", true, 24000, 1001},
        {"29.97", true, 2997, 100},   {"23.976", true, 23976, 1000},     {"29.9701", false, 0, 0},
        {"0", false, 0, 0},           {"30/0", false, 0, 0},             {"-30/1", false, 0, 0},
        {"30/-1", false, 0, 0},       {"x", false, 0, 0},                {"30/", false, 0, 0},
    };
    for (const auto& c : cases) {
        int r = 0, s = 0;
        EXPECT_EQ(parse_fps(c.text, r, s), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(r, c.rate) << c.text;
            EXPECT_EQ(s, c.scale) << c.text;
        }
    }
}

TEST(run_options, integers) {
    int v = 0;
    EXPECT_TRUE(parse_int("-300", v));
    EXPECT_EQ(v, -300);
    EXPECT_TRUE(parse_int("2147483647", v));
    EXPECT_TRUE(parse_int("-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_FALSE(parse_int("2147483648", v));
    EXPECT_FALSE(parse_int("12 ", v));
    EXPECT_FALSE(parse_int("-", v));
    EXPECT_FALSE(parse_int("1e3", v));
    EXPECT_FALSE(parse_int("99999999999", v));
    long long l = 0;
    EXPECT_TRUE(parse_long("-99999999999", l));
    EXPECT_EQ(l, -99999999999LL);
    EXPECT_FALSE(parse_long("9999999999999999999", l));  // would wrap in 64 bits
}

static bool parse(std::vector<std::string> args, run_options& o, std::string& error) {
    args.insert(args.begin(), "pulvax-run");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    return parse_run_options(static_cast<int>(argv.size()), argv.data(), o, error);
}

TEST(run_options, settings_keep_their_order_and_values) {
    run_options o;
    std::string error;
    ASSERT_TRUE(parse({"--ref-x", "100", "--bpm=128.5", "in.y4m", "-o", "-", "--start-frame", "-5",
                       "--period-div", "4", "--fps", "25", "--sheet", "s.png", "--print-tracks",
                       "--frames", "7", "--module", "m.so"},
                      o, error))
        << error;
    EXPECT_EQ(o.input, "in.y4m");
    EXPECT_EQ(o.output, "-");
    EXPECT_EQ(o.sheet, "s.png");
    EXPECT_EQ(o.module, "m.so");
    EXPECT_TRUE(o.print_tracks);
    EXPECT_EQ(o.frames, 7);
    EXPECT_TRUE(o.have_fps);
    EXPECT_EQ(o.fps_rate, 25);
    ASSERT_EQ(o.settings.size(), 4u);
    EXPECT_EQ(o.settings[0].key, key_ref_x);
    EXPECT_EQ(o.settings[0].value, 100);
    EXPECT_EQ(o.settings[1].key, key_bpm);
    EXPECT_EQ(o.settings[1].value, 1285);
    EXPECT_EQ(o.settings[2].key, key_start_frame);
    EXPECT_EQ(o.settings[2].value, -5);
    EXPECT_EQ(o.settings[3].key, key_period_div);

    // Repeated track options all count, in order.
    ASSERT_TRUE(parse({"--period", "20", "--ref-y", "7", "--period=30"}, o, error)) << error;
    ASSERT_EQ(o.settings.size(), 3u);
    EXPECT_EQ(o.settings[0].value, 20);
    EXPECT_EQ(o.settings[1].key, key_ref_y);
    EXPECT_EQ(o.settings[2].value, 30);

    ASSERT_TRUE(parse({"-"}, o, error));
    EXPECT_EQ(o.input, "-");
    ASSERT_TRUE(parse({}, o, error));
    EXPECT_EQ(o.input, "");
    EXPECT_TRUE(o.settings.empty());
}

TEST(run_options, usage_errors) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"--bogus=3"}, "unknown option --bogus"},
        {{"--print-tracks=no"}, "--print-tracks takes no value"},
        {{"--print-tracks=yes"}, "--print-tracks takes no value"},
        {{"--help=x"}, "--help takes no value"},
        {{"--ref-x", "5", "a.y4m", "-o", "o.y4m", "b.y4m"}, "more than one input: 'a.y4m' and 'b.y4m'"},
        {{"-x"}, "unknown option -x"},
        {{"a.y4m", "b.y4m"}, "more than one input"},
        {{"-o"}, "--output needs a value"},
        {{"--period"}, "--period needs a value"},
        {{"--period", "ten"}, "--period takes a whole number, not 'ten'"},
        {{"--bpm", "128.55"}, "at most one decimal place"},
        {{"--fps", "fast"}, "--fps takes a frame rate"},
        {{"--frames", "0"}, "--frames takes a whole number of frames of at least 1"},
        {{"--sheet="}, "--sheet needs a"}, {{"--module", ""}, "--module needs a file name"},
    };
    for (const auto& c : cases) {
        run_options o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << c.args[0];
        EXPECT_NE(error.find(c.message), std::string::npos) << c.args[0] << " gave: " << error;
    }
}

TEST(run_options, title_times) {
    int ms = -1;
    EXPECT_TRUE(title_time("PULVAX time:0", ms));
    EXPECT_EQ(ms, 0);
    EXPECT_TRUE(title_time("PULVAX time:17", ms));
    EXPECT_EQ(ms, 17);
    EXPECT_TRUE(title_time("PULVAX time:-3", ms));
    EXPECT_EQ(ms, -3);
    EXPECT_FALSE(title_time("PULVAX", ms));
    EXPECT_FALSE(title_time("PULVAX time:", ms));
    EXPECT_FALSE(title_time("PULVAX time:12ms", ms));
    EXPECT_FALSE(title_time("PULVAX time:99999999999", ms));
}

TEST(run_options, output_names_choose_the_writer) {
    const struct {
        const char* name;
        bool video_file;
    } cases[] = {
        {"", false},          {"-", false},           {"out.y4m", false},     {"OUT.Y4M", false},
        {"/dev/full", false}, {"dir.v2/pipe", false}, {"out.mp4", true},      {"a.b/out.MKV", true},
        {"clip.webm", true},  {"o.xyz", true},        {"dir\\x.mov", true},   {".y4m", false},
    };
    for (const auto& c : cases) EXPECT_EQ(is_video_file_name(c.name), c.video_file) << c.name;
}

TEST(run_options, beat_from_sound_takes_its_place_in_the_order) {
    run_options o;
    std::string error;
    // --bpm auto stands where it was given; the sound is the input's.
    ASSERT_TRUE(parse({"--period", "20", "clip.mp4", "--bpm", "auto", "--start-frame", "3", "--beat-nudge=-12.5"},
                      o, error))
        << error;
    ASSERT_EQ(o.settings.size(), 3u);
    EXPECT_EQ(o.settings[0].key, key_period);
    EXPECT_EQ(o.settings[1].key, key_beat);
    EXPECT_EQ(o.settings[2].key, key_start_frame);
    EXPECT_EQ(o.beat_from, "clip.mp4");
    EXPECT_EQ(o.beat_nudge_ms, -12.5);

    // --beat-from alone implies --bpm auto, at its own place.
    ASSERT_TRUE(parse({"-", "--ref-x", "1", "--beat-from", "song.wav", "--ref-y", "2"}, o, error)) << error;
    ASSERT_EQ(o.settings.size(), 3u);
    EXPECT_EQ(o.settings[1].key, key_beat);
    EXPECT_EQ(o.beat_from, "song.wav");
    EXPECT_EQ(o.beat_nudge_ms, 0);

    // With both, the beat stands once, where --bpm auto is.
    ASSERT_TRUE(parse({"--beat-from", "song.wav", "--ref-x", "1", "--bpm", "auto"}, o, error)) << error;
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0].key, key_ref_x);
    EXPECT_EQ(o.settings[1].key, key_beat);
}

TEST(run_options, beat_subcommand) {
    run_options o;
    std::string error;
    ASSERT_TRUE(parse({"beat", "song.wav", "--fps", "30000/1001", "--json", "--beat-nudge", "40"}, o, error))
        << error;
    EXPECT_TRUE(o.beat_command);
    EXPECT_EQ(o.beat.input, "song.wav");
    EXPECT_EQ(o.beat.fps_num, 30000);
    EXPECT_EQ(o.beat.fps_den, 1001);
    EXPECT_TRUE(o.beat.json);
    EXPECT_EQ(o.beat.nudge_ms, 40);

    ASSERT_TRUE(parse({"beat", "song.wav"}, o, error)) << error;
    EXPECT_EQ(o.beat.fps_num, 0);  // the file's video rate, else 30
    EXPECT_FALSE(o.beat.json);
    ASSERT_TRUE(parse({"beat", "--help"}, o, error)) << error;
    EXPECT_TRUE(o.help);
    EXPECT_TRUE(o.beat_command);
    // A file that happens to be called beat is a render's input after any option.
    ASSERT_TRUE(parse({"--ref-x", "1", "beat"}, o, error)) << error;
    EXPECT_FALSE(o.beat_command);
    EXPECT_EQ(o.input, "beat");
}

TEST(run_options, beat_usage_errors) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--bpm", "auto"}, "the built-in clip has none: give --beat-from SONG"},
        {{"-", "--bpm", "auto"}, "standard input cannot be read twice"},
        {{"clip.mp4", "--beat-nudge", "10"}, "--beat-nudge moves a beat found in sound"},
        {{"clip.mp4", "--bpm", "auto", "--beat-nudge", "ten"}, "--beat-nudge takes milliseconds"},
        {{"clip.mp4", "--bpm", "auto", "--beat-nudge", "1.2345"}, "--beat-nudge takes milliseconds"},
        {{"--beat-from", ""}, "--beat-from needs a file name"},
        {{"--bpm", "Auto"}, "--bpm takes beats per minute"},
        {{"beat"}, "beat needs a sound or video file"},
        {{"beat", "a.wav", "b.wav"}, "more than one input"},
        {{"beat", "a.wav", "--json=yes"}, "--json takes no value"},
        {{"beat", "a.wav", "--fps", "0"}, "--fps takes a frame rate"},
        {{"beat", "a.wav", "--ref-x", "3"}, "unknown option --ref-x"},
        {{"beat", "a.wav", "--beat-nudge", "1e3"}, "--beat-nudge takes milliseconds"},
    };
    for (const auto& c : cases) {
        run_options o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << c.args[0];
        EXPECT_NE(error.find(c.message), std::string::npos) << c.args[0] << " gave: " << error;
    }
}

TEST(run_options, milliseconds) {
    const struct {
        const char* text;
        bool ok;
        double ms;
    } cases[] = {
        {"40", true, 40},     {"-12.5", true, -12.5}, {"+0.125", true, 0.125}, {"0", true, 0},
        {"1.2345", false, 0}, {"-", false, 0},        {"12ms", false, 0},      {"", false, 0},
        {"--3", false, 0},    {"1e3", false, 0},
    };
    for (const auto& c : cases) {
        double v = -1;
        EXPECT_EQ(parse_ms(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.ms) << c.text;
        }
    }
}
