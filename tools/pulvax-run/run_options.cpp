#include "tools/pulvax-run/run_options.h"

#include <string.h>

const char run_usage[] =
    "usage: pulvax-run [OPTIONS] [INPUT] [-o OUTPUT]\n"
    "\n"
    "Renders video through the PULVAX filter module, driving it as the editor does.\n"
    "\n"
    "INPUT   a YUV4MPEG2 stream (.y4m, or - for standard input), 8-bit 4:2:0, 4:2:2 or\n"
    "        4:4:4, progressive; or a PNG, JPEG or BMP image, shown for --frames frames\n"
    "        (default 30). Without INPUT: a built-in test clip (512x384, 30 fps,\n"
    "        120 frames).\n"
    "-o OUTPUT  YUV4MPEG2 to a file, or - for standard output, with the input's size,\n"
    "        frame rate, aspect and chroma layout. Without -o no video is written.\n"
    "\n"
    "Options (the tracks are set as the editor sets them: value, then func_update,\n"
    "in command-line order, after the module has seen one frame at the stream's rate):\n"
    "  --ref-x N, --ref-y N   reference point of the bounce, in pixels\n"
    "  --period N             cycle length in 1/period-div frames\n"
    "  --period-div N         cycle units per frame\n"
    "  --bpm B                tempo in beats per minute, at most one decimal (128.5)\n"
    "  --stretch-frames N     frames per bounce phase\n"
    "  --start-frame N        first frame the bounce applies to\n"
    "  --fps R                frame rate (30, 30000/1001, 29.97); default: the stream's\n"
    "  --frames N             frames of a still image or the built-in clip; at most N\n"
    "                         frames of a stream\n"
    "  --sheet FILE.png       contact sheet of one beat cycle's frames\n"
    "  --print-tracks         print the track values once the options are applied\n"
    "  --module PATH          the module file (default: pulvax.so / pulvax.auf beside\n"
    "                         this program)\n"
    "  -h, --help             this text\n"
    "\n"
    "Samples: 8-bit video-range YCbCr converts to the editor's samples as\n"
    "  y = round((Y-16)*4096/219), cb = round((Cb-128)*4096/224), cr alike,\n"
    "and back as Y = round(y*219/4096)+16, Cb = round(cb*224/4096)+128 (clamped).\n"
    "Subsampled chroma is repeated over its 2x2 (4:2:0) or 2x1 (4:2:2) block, and\n"
    "the block's mean is taken back, so unchanged frames come out byte-identical.\n"
    "\n"
    "At the end it prints the frames, the frames changed and the module's time per\n"
    "frame as the editor's title shows it. Exit status: 0 done, 1 bad input or\n"
    "failure, 2 usage error.\n";

bool parse_int(const char* text, int& value) {
    const char* p = text;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    if (*p == '\0') return false;
    long long v = 0;
    for (; *p; p++) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + (*p - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL || v < -2147483647LL - 1) return false;
    value = static_cast<int>(v);
    return true;
}

// Digits with an optional decimal point and at most max_places decimals, as
// an integer times 10^places. Unsigned; at most 9 significant digits.
static bool parse_decimal(const char* text, int max_places, long long& digits, int& places) {
    digits = 0;
    places = -1;
    int count = 0;
    for (const char* p = text; *p; p++) {
        if (*p == '.') {
            if (places >= 0) return false;
            places = 0;
            continue;
        }
        if (*p < '0' || *p > '9') return false;
        if (++count > 9) return false;
        digits = digits * 10 + (*p - '0');
        if (places >= 0) places++;
    }
    if (count == 0 || places == 0) return false;
    if (places < 0) places = 0;
    return places <= max_places;
}

bool parse_bpm(const char* text, int& bpm_x10) {
    long long digits = 0;
    int places = 0;
    if (!parse_decimal(text, 1, digits, places)) return false;
    bpm_x10 = static_cast<int>(places == 0 ? digits * 10 : digits);
    return true;
}

bool parse_fps(const char* text, int& rate, int& scale) {
    const char* sep = strpbrk(text, "/:");
    if (sep) {
        const std::string num(text, sep);
        int n = 0, d = 0;
        if (!parse_int(num.c_str(), n) || !parse_int(sep + 1, d) || num[0] == '-' ||
            num[0] == '+' || sep[1] == '-' || sep[1] == '+' || n < 1 || d < 1) {
            return false;
        }
        rate = n;
        scale = d;
        return true;
    }
    long long digits = 0;
    int places = 0;
    if (!parse_decimal(text, 3, digits, places) || digits < 1) return false;
    int s = 1;
    for (int i = 0; i < places; i++) s *= 10;
    rate = static_cast<int>(digits);
    scale = s;
    return true;
}

bool parse_run_options(int argc, char** argv, run_options& o, std::string& error) {
    o = run_options();
    bool have_input = false;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        std::string value;
        bool inline_value = false;
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                inline_value = true;
            }
        }
        // Takes the option's value from "--name=value" or the next argument.
        auto take_value = [&]() -> bool {
            if (inline_value) return true;
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            o.help = true;
            continue;
        }
        if (arg == "--print-tracks") {
            o.print_tracks = true;
            continue;
        }
        if (arg == "-o" || arg == "--output" || arg == "--sheet" || arg == "--module") {
            if (!take_value()) return false;
            if (value.empty()) {
                error = arg + " needs a file name";
                return false;
            }
            (arg == "--sheet" ? o.sheet : arg == "--module" ? o.module : o.output) = value;
            continue;
        }
        if (arg == "--fps") {
            if (!take_value()) return false;
            if (!parse_fps(value.c_str(), o.fps_rate, o.fps_scale)) {
                error = "--fps takes a frame rate such as 30, 30000/1001 or 29.97, not '" + value + "'";
                return false;
            }
            o.have_fps = true;
            continue;
        }
        if (arg == "--frames") {
            if (!take_value()) return false;
            if (!parse_int(value.c_str(), o.frames) || o.frames < 1) {
                error = "--frames takes a whole number of frames of at least 1, not '" + value + "'";
                return false;
            }
            continue;
        }
        int key = -1;
        for (int k = 0; k < key_count; k++) {
            if (arg == track_options[k].option) key = k;
        }
        if (key >= 0) {
            if (!take_value()) return false;
            track_setting s = {key, 0};
            const bool ok = key == key_bpm ? parse_bpm(value.c_str(), s.value)
                                           : parse_int(value.c_str(), s.value);
            if (!ok) {
                error = key == key_bpm ? "--bpm takes beats per minute with at most one decimal "
                                         "place (such as 128 or 128.5), not '" + value + "'"
                                       : arg + " takes a whole number, not '" + value + "'";
                return false;
            }
            o.settings.push_back(s);
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        }
        if (have_input) {
            error = "more than one input: '" + o.input + "' and '" + arg + "'";
            return false;
        }
        o.input = arg;
        have_input = true;
    }
    return true;
}
