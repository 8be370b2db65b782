#include "tools/pulvax-run/run_options.h"

#include <string.h>

#include <CLI/CLI.hpp>

const char run_usage[] =
    "usage: pulvax-run [OPTIONS] [INPUT] [-o OUTPUT]\n"
    "       pulvax-run beat FILE [--fps R] [--json] [--beat-nudge MS]   (see pulvax-run beat --help)\n"
    "\n"
    "Renders video through the PULVAX filter module, driving it as the editor does.\n"
    "\n"
    "INPUT   a YUV4MPEG2 stream (.y4m, or - for standard input) as ffmpeg writes it:\n"
    "        C420jpeg, C420mpeg2, C420paldv, C420, C422, C444, C411, Cmono, and 9 to\n"
    "        16 bits (C420p10, C422p12, C444p16, Cmono16...; ffmpeg -strict -1), any\n"
    "        size, any A ratio, progressive or interlaced (It, Ib: processed as whole\n"
    "        frames), XCOLORRANGE=FULL honoured; or a PNG, JPEG or BMP image, shown\n"
    "        for --frames frames (default 30). Without INPUT: a built-in test clip\n"
    "        (512x384, 30 fps, 120 frames).\n"
#ifdef PULVAX_HAVE_FFMPEG
    "        Also any video file the system's FFmpeg reads (mp4, mkv, mov, webm;\n"
    "        H.264, HEVC 8/10-bit, VP9, AV1, ProRes...).\n"
    "-o OUTPUT  out.y4m, or - for standard output: YUV4MPEG2 with the input's size,\n"
    "        frame rate, layout, depth and every other header tag (it carries no\n"
    "        sound). Any other name with an extension is a video file in the\n"
    "        container that extension names (.mp4, .mkv, .mov, .webm), the video\n"
    "        encoded, every audio stream of an input video file copied untouched,\n"
    "        timestamps (variable frame rates too), rotation and colour tags kept;\n"
    "        a name without an extension is written as YUV4MPEG2. Without -o no\n"
    "        video is written.\n"
    "  --codec NAME           video encoder (default libx264 crf 18, High 10 for\n"
    "                         10-bit; libx265 for 12 bits and more; VP9 for .webm)\n"
    "  --crf N                encoder quality, 0-63, lower is better (default 18)\n"
#else
    "        Other video files (mp4, mov...): convert them with ffmpeg first, e.g.\n"
    "        ffmpeg -i in.mp4 -f yuv4mpegpipe - | pulvax-run - -o - | ffmpeg -y -i - out.mp4\n"
    "        (add -i in.mp4 -map 0:v -map 1:a? -c:a copy to the last ffmpeg to keep\n"
    "        the sound).\n"
    "-o OUTPUT  out.y4m, or - for standard output: YUV4MPEG2 with the input's size,\n"
    "        frame rate, layout, depth and every other header tag (it carries no\n"
    "        sound). Without -o no video is written.\n"
#endif
    "\n"
    "Options (the tracks are set as the editor sets them: value, then func_update,\n"
    "in command-line order, after the module has seen one frame at the stream's rate).\n"
    "The beat counts frames at the stream's nominal rate (a variable-rate file's\n"
    "average), one cycle step per decoded frame:\n"
    "  --ref-x N, --ref-y N   reference point of the bounce, in pixels\n"
    "  --period N             cycle length in 1/period-div frames\n"
    "  --period-div N         cycle units per frame\n"
    "  --bpm B                tempo in beats per minute, at most one decimal (128.5)\n"
#ifdef PULVAX_HAVE_FFMPEG
    "  --bpm auto             find the beat in the input's sound (a video file): sets\n"
    "                         period (at full precision, in 1/100 frame), period-div\n"
    "                         and start-frame at the stream's rate\n"
#endif
#ifdef PULVAX_HAVE_FFMPEG
    "  --beat-from FILE       find the beat in this file's sound instead (WAV, or\n"
    "                         any audio or video file); implies --bpm auto\n"
#else
    "  --beat-from FILE       find the beat in this WAV file's sound: sets period\n"
    "                         (at full precision, in 1/100 frame), period-div and\n"
    "                         start-frame at the stream's rate\n"
#endif
    "  --beat-nudge MS        move the found beat later by MS milliseconds (earlier\n"
    "                         if negative)\n"
    "  --stretch-frames N     frames per bounce phase\n"
    "  --start-frame N        first frame the bounce applies to\n"
    "  --fps R                frame rate (30, 30000/1001, 29.97); default: the stream's\n"
    "  --frames N             frames of a still image or the built-in clip; at most N\n"
    "                         frames of a stream\n"
    "  --sheet FILE.png       contact sheet of one beat cycle's frames\n"
    "  --print-tracks         print the track values once the options are applied\n"
#ifdef _WIN32
    "  --module PATH          the module file (default: pulvax.auf beside this\n"
    "                         program)\n"
#else
    "  --module PATH          the module file (default: pulvax.so beside this\n"
    "                         program)\n"
#endif
    "  --version              the version\n"
    "  -h, --help             this text\n"
    "\n"
    "Samples: 8-bit video-range YCbCr converts to the editor's samples as\n"
    "  y = round((Y-16)*4096/219), cb = round((Cb-128)*4096/224), cr alike,\n"
    "and back as Y = round(y*219/4096)+16, Cb = round(cb*224/4096)+128 (clamped).\n"
    "With d bits, k = 2^(d-8): offsets 16k and 128k, spans 219k and 224k. Full\n"
    "range: luma offset 0, chroma offset 2^(d-1), both spans 2^d-1. Exact up to\n"
    "12 bits; deeper samples keep 12 bits through the filter. Subsampled chroma is\n"
    "repeated over its block (2x2, 2x1 or 4x1, cut at odd edges) and the block's\n"
    "mean is taken back. Frames the filter leaves unchanged come out byte-identical.\n"
    "\n"
    "At the end it prints the frames, the frames changed and the module's time per\n"
    "frame as the editor's title shows it. Exit status: 0 done, 1 bad input or\n"
    "failure, 2 usage error.\n"
#ifdef _WIN32
    "\n"
    "File names and arguments may hold any character. Text goes to a console in\n"
    "UTF-16 (shown right in any code page) and to a pipe or file as UTF-8.\n"
#endif
    ;

const char run_version[] = "pulvax-run " PULVAX_VERSION "\n";

const char beat_usage[] =
    "usage: pulvax-run beat FILE [--fps R] [--json] [--beat-nudge MS]\n"
    "\n"
    "Finds the tempo and the first beat of a song and prints the values to type\n"
    "into the filter's tracks: bpm*10, and 周期 / 周期div / 開始F at full precision.\n"
    "\n"
    "FILE   a WAV file (8/16/24/32-bit PCM or 32/64-bit float, also\n"
    "       WAVE_FORMAT_EXTENSIBLE; any rate; all channels averaged into one),\n"
#ifdef PULVAX_BEAT_FFMPEG
    "       or any audio or video file the system's FFmpeg reads (beat times are\n"
    "       then on the video's timeline)\n"
#else
    "       (other files: convert with ffmpeg -i song.mp3 song.wav first)\n"
#endif
    "  --fps R            the project's frame rate (30, 30000/1001, 29.97); default:\n"
    "                     the file's video rate, else 30\n"
    "  --json             one JSON object instead of text\n"
    "  --beat-nudge MS    move the found beat later by MS milliseconds (earlier if\n"
    "                     negative)\n"
    "  -h, --help         this text\n"
    "\n"
    "Exit status: 0 done, 1 a file without a readable sound or a steady beat,\n"
    "2 usage error.\n";

// What CLI11 collects: every value as text, converted and checked by the
// tool's own parsers afterwards, so that the messages name the option and no
// number is converted before its range is known.
struct option_texts {
    bool help = false;
    bool version = false;
    bool print_tracks = false;
    std::string output, sheet, module, fps, frames, codec, crf, beat_from, beat_nudge;
    std::vector<std::string> inputs;
    std::vector<std::string> tracks[key_count];  // every occurrence, in order
};

// The options of a render; the beat subcommand has an app of its own.
static CLI::Option* add_render_options(CLI::App& app, option_texts& t, CLI::Option* track_opts[key_count]) {
    // On/off options take no value: "--print-tracks=no" is an error, not "yes".
    app.add_flag("-h,--help", t.help)->disable_flag_override();
    app.add_flag("--version", t.version)->disable_flag_override();
    app.add_flag("--print-tracks", t.print_tracks)->disable_flag_override();
    app.add_option("-o,--output", t.output);
    app.add_option("--sheet", t.sheet);
    app.add_option("--module", t.module);
    app.add_option("--fps", t.fps);
    app.add_option("--frames", t.frames);
    app.add_option("--codec", t.codec);
    app.add_option("--crf", t.crf);
    for (int k = 0; k < key_count; k++) {
        track_opts[k] = app.add_option(track_options[k].option, t.tracks[k])
                            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                            ->allow_extra_args(false);
    }
    CLI::Option* beat_from = app.add_option("--beat-from", t.beat_from);
    app.add_option("--beat-nudge", t.beat_nudge);
    app.add_option("input", t.inputs)->allow_extra_args(false);
    app.allow_extras();  // reported below as unknown options or a second input
    return beat_from;
}

// The option as the user wrote it, for messages.
static std::string option_name(const CLI::Option* opt) {
    const std::vector<std::string>& names = opt->get_lnames();
    return names.empty() ? opt->get_name() : "--" + names.front();
}

// CLI11's text for a usage fault, in the tool's words where they differ.
static std::string usage_message(const CLI::ParseError& e) {
    std::string m = e.what();
    const std::string override_text = " was given a disallowed flag override";
    const size_t at = m.find(override_text);
    if (at != std::string::npos) return "--" + m.substr(0, at) + " takes no value";
    const std::string missing = " required TEXT missing";
    if (m.find(missing) != std::string::npos) return m.substr(0, m.find(':')) + " needs a value";
    return m;
}

static bool check_file_name(const std::string& name, const std::string& value, std::string& error) {
    if (!value.empty()) return true;
    error = name + " needs a file name";
    return false;
}

// What CLI11 left over: an unknown option is an error, anything else an
// input, of which there is at most one.
static bool take_remaining(const CLI::App& app, std::vector<std::string>& inputs, std::string& error) {
    for (const std::string& extra : app.remaining()) {
        if (extra.size() > 1 && extra[0] == '-') {
            error = "unknown option " + extra.substr(0, extra.find('='));
            return false;
        }
        inputs.push_back(extra);
    }
    if (inputs.size() > 1) {
        error = "more than one input: '" + inputs[0] + "' and '" + inputs[1] + "'";
        return false;
    }
    return true;
}

static bool parse_app(CLI::App& app, int argc, char** argv, std::string& error) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        error = usage_message(e);
        return false;
    }
    return true;
}

static bool parse_nudge(const std::string& text, double& ms, std::string& error) {
    if (parse_ms(text.c_str(), ms)) return true;
    error = "--beat-nudge takes milliseconds such as 40 or -12.5, not '" + text + "'";
    return false;
}

// pulvax-run beat FILE [--fps R] [--json] [--beat-nudge MS]; argv[0] is "beat".
static bool parse_beat_options(int argc, char** argv, run_options& o, std::string& error) {
    o.beat_command = true;
    std::string fps, nudge;
    std::vector<std::string> inputs;
    CLI::App app("Finds the beat of a song", "pulvax-run beat");
    app.set_help_flag();
    app.add_flag("-h,--help", o.help)->disable_flag_override();
    app.add_flag("--json", o.beat.json)->disable_flag_override();
    app.add_option("--fps", fps);
    app.add_option("--beat-nudge", nudge);
    app.add_option("file", inputs)->allow_extra_args(false);
    app.allow_extras();
    if (!parse_app(app, argc, argv, error) || !take_remaining(app, inputs, error)) return false;
    if (o.help) return true;
    if (inputs.empty() || inputs[0].empty()) {
        error = "beat needs a sound or video file";
        return false;
    }
    o.beat.input = inputs[0];
    if (app.count("--fps") && !parse_fps(fps.c_str(), o.beat.fps_num, o.beat.fps_den)) {
        error = "--fps takes a frame rate such as 30, 30000/1001 or 29.97, not '" + fps + "'";
        return false;
    }
    return app.count("--beat-nudge") == 0 || parse_nudge(nudge, o.beat.nudge_ms, error);
}

// Where --bpm auto finds its sound: --beat-from FILE, else the input, which
// must be a file (the built-in clip and standard input cannot be read for it).
static bool parse_beat_source(const CLI::App& app, const option_texts& t, run_options& o, std::string& error) {
    bool from_sound = false;
    for (const track_setting& s : o.settings) from_sound = from_sound || s.key == key_beat;
    if (app.count("--beat-nudge")) {
        if (!from_sound) {
            error = "--beat-nudge moves a beat found in sound: use it with --bpm auto or --beat-from";
            return false;
        }
        if (!parse_nudge(t.beat_nudge, o.beat_nudge_ms, error)) return false;
    }
    if (app.count("--beat-from")) {
        if (!check_file_name("--beat-from", t.beat_from, error)) return false;
        o.beat_from = t.beat_from;
    } else if (from_sound) {
        if (o.input.empty() || o.input == "-") {
            error = std::string("--bpm auto finds the beat in the input's sound, and ") +
                    (o.input.empty() ? "the built-in clip has none" : "standard input cannot be read twice") +
                    ": give --beat-from SONG";
            return false;
        }
        o.beat_from = o.input;
    }
    return true;
}

bool parse_run_options(int argc, char** argv, run_options& o, std::string& error) {
    o = run_options();
    if (argc > 1 && strcmp(argv[1], "beat") == 0) return parse_beat_options(argc - 1, argv + 1, o, error);
    option_texts t;
    CLI::Option* track_opts[key_count];
    CLI::App app("Renders video through the PULVAX filter module", "pulvax-run");
    app.set_help_flag();  // the tool's own -h, --help, with its own text
    CLI::Option* beat_from_opt = add_render_options(app, t, track_opts);
    if (!parse_app(app, argc, argv, error)) return false;
    if (!take_remaining(app, t.inputs, error)) return false;
    o.help = t.help;
    o.version = t.version;
    o.print_tracks = t.print_tracks;
    if (!t.inputs.empty()) o.input = t.inputs[0];
    const struct {
        const char* name;
        const std::string& value;
        std::string& target;
    } files[] = {{"-o", t.output, o.output}, {"--sheet", t.sheet, o.sheet}, {"--module", t.module, o.module}};
    for (const auto& f : files) {
        if (app.count(f.name) == 0) continue;
        if (!check_file_name(f.name, f.value, error)) return false;
        f.target = f.value;
    }
    if (app.count("--fps")) {
        if (!parse_fps(t.fps.c_str(), o.fps_rate, o.fps_scale)) {
            error = "--fps takes a frame rate such as 30, 30000/1001 or 29.97, not '" + t.fps + "'";
            return false;
        }
        o.have_fps = true;
    }
    if (app.count("--frames") && (!parse_int(t.frames.c_str(), o.frames) || o.frames < 1)) {
        error = "--frames takes a whole number of frames of at least 1, not '" + t.frames + "'";
        return false;
    }
    if (app.count("--codec")) {
        if (t.codec.empty()) {
            error = "--codec needs an encoder name";
            return false;
        }
        o.codec = t.codec;
    }
    if (app.count("--crf") && (!parse_int(t.crf.c_str(), o.crf) || o.crf < 0 || o.crf > 63)) {
        error = "--crf takes a whole number from 0 to 63, not '" + t.crf + "'";
        return false;
    }
    // The track settings in command-line order: parse_order lists every
    // occurrence of every option as given. The beat found in sound takes the
    // place of --bpm auto, or else of --beat-from.
    bool bpm_auto = false;
    for (const std::string& value : t.tracks[key_bpm]) bpm_auto = bpm_auto || value == "auto";
    size_t taken[key_count] = {};
    for (const CLI::Option* opt : app.parse_order()) {
        if (opt == beat_from_opt && !bpm_auto) o.settings.push_back({key_beat, 0});
        for (int key = 0; key < key_count; key++) {
            if (opt != track_opts[key]) continue;
            const std::string& value = t.tracks[key][taken[key]++];
            if (key == key_bpm && value == "auto") {
                o.settings.push_back({key_beat, 0});
                continue;
            }
            track_setting s = {key, 0};
            const bool ok = key == key_bpm ? parse_bpm(value.c_str(), s.value)
                                           : parse_long(value.c_str(), s.value);
            if (!ok) {
                error = key == key_bpm ? "--bpm takes beats per minute with at most one decimal "
                                         "place (such as 128 or 128.5), not '" + value + "'"
                                       : option_name(opt) + " takes a whole number, not '" + value + "'";
                return false;
            }
            o.settings.push_back(s);
        }
    }
    return parse_beat_source(app, t, o, error);
}
