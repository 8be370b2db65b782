#include "tools/pulvax-run/y4m.h"

#include <string.h>

static const char y4m_magic[] = "YUV4MPEG2";
enum { max_line = 4096 };

y4m_format generated_format(int w, int h, y4m_chroma chroma, const char* chroma_tag) {
    y4m_format f;
    f.w = w;
    f.h = h;
    f.rate = 30;
    f.scale = 1;
    f.chroma = chroma;
    f.tags = {"Ip", "A1:1", chroma_tag};
    return f;
}

int chroma_shift_x(const y4m_format& f) {
    return f.chroma == chroma_411 ? 2 : f.chroma == chroma_420 || f.chroma == chroma_422 ? 1 : 0;
}

int chroma_shift_y(const y4m_format& f) { return f.chroma == chroma_420 ? 1 : 0; }

int chroma_width(const y4m_format& f) {
    if (f.chroma == chroma_mono) return 0;
    const int s = chroma_shift_x(f);
    return (f.w + (1 << s) - 1) >> s;
}

int chroma_height(const y4m_format& f) {
    if (f.chroma == chroma_mono) return 0;
    const int s = chroma_shift_y(f);
    return (f.h + (1 << s) - 1) >> s;
}

int sample_bytes(const y4m_format& f) { return f.depth > 8 ? 2 : 1; }

size_t frame_bytes(const y4m_format& f) {
    return (static_cast<size_t>(f.w) * f.h +
            2 * static_cast<size_t>(chroma_width(f)) * chroma_height(f)) *
           sample_bytes(f);
}

bool check_frame_size(const y4m_format& f, std::string& error) {
    const std::string size = std::to_string(f.w) + "x" + std::to_string(f.h);
    if (f.w <= 0 || f.h <= 0) {
        error = "frame size " + size + " is empty";
        return false;
    }
    if (f.w > y4m_max_side || f.h > y4m_max_side ||
        static_cast<long long>(f.w) * f.h > y4m_max_area) {
        error = "frame size " + size + " is too large (at most " + std::to_string(y4m_max_side) +
                " pixels a side and " + std::to_string(y4m_max_area) + " pixels)";
        return false;
    }
    return true;
}

// A decimal number of 1 to 9 digits, no sign.
static bool parse_count(const std::string& s, int& value) {
    if (s.empty() || s.size() > 9) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

static bool parse_ratio(const std::string& s, int& num, int& den) {
    const size_t colon = s.find(':');
    if (colon == std::string::npos) return false;
    return parse_count(s.substr(0, colon), num) && parse_count(s.substr(colon + 1), den);
}

// "p10" and the like after a layout: the depth, 9 to 16 bits.
static bool parse_depth_suffix(const std::string& s, int& depth) {
    int d = 0;
    if (!parse_count(s, d) || s[0] == '0' || d < 9 || d > 16) return false;
    depth = d;
    return true;
}

bool parse_chroma_tag(const std::string& value, y4m_chroma& chroma, int& depth) {
    depth = 8;
    if (value == "420jpeg" || value == "420paldv" || value == "420mpeg2" || value == "420") {
        chroma = chroma_420;
        return true;
    }
    if (value == "411") {
        chroma = chroma_411;
        return true;
    }
    if (value.compare(0, 4, "mono") == 0) {
        chroma = chroma_mono;
        return value.size() == 4 || parse_depth_suffix(value.substr(4), depth);
    }
    static const struct {
        const char* name;
        y4m_chroma chroma;
    } layouts[] = {{"420", chroma_420}, {"422", chroma_422}, {"444", chroma_444}};
    for (const auto& l : layouts) {
        if (value.compare(0, 3, l.name) != 0) continue;
        chroma = l.chroma;
        if (value.size() == 3) return true;
        return value[3] == 'p' && parse_depth_suffix(value.substr(4), depth);
    }
    return false;
}

bool parse_y4m_header(const std::string& line, y4m_format& f, std::string& error) {
    f = y4m_format();
    if (line.compare(0, 9, y4m_magic) != 0 || (line.size() > 9 && line[9] != ' ')) {
        error = "not a YUV4MPEG2 stream";
        return false;
    }
    bool have_w = false, have_h = false, have_f = false;
    size_t pos = 9;
    while (pos < line.size()) {
        if (line[pos] == ' ') {
            pos++;
            continue;
        }
        size_t end = line.find(' ', pos);
        if (end == std::string::npos) end = line.size();
        const std::string token = line.substr(pos, end - pos);
        pos = end;
        const std::string value = token.substr(1);
        switch (token[0]) {
        case 'W':
            if (!parse_count(value, f.w)) {
                error = "bad width '" + token + "' in the stream header";
                return false;
            }
            have_w = true;
            break;
        case 'H':
            if (!parse_count(value, f.h)) {
                error = "bad height '" + token + "' in the stream header";
                return false;
            }
            have_h = true;
            break;
        case 'F':
            if (!parse_ratio(value, f.rate, f.scale)) {
                error = "bad frame rate '" + token + "' in the stream header";
                return false;
            }
            have_f = true;
            break;
        case 'I':
            if (value.size() != 1 || strchr("ptbm?", value[0]) == nullptr) {
                error = "bad interlacing '" + token + "' in the stream header";
                return false;
            }
            f.interlace = value[0];
            f.tags.push_back(token);
            break;
        case 'A':
            {
                int n = 0, d = 0;
                if (!parse_ratio(value, n, d)) {
                    error = "bad pixel aspect '" + token + "' in the stream header";
                    return false;
                }
            }
            f.tags.push_back(token);
            break;
        case 'C':
            if (!parse_chroma_tag(value, f.chroma, f.depth)) {
                error = "unsupported chroma layout '" + token +
                        "'; supported are 4:2:0 (C420jpeg, C420paldv, C420mpeg2, C420), C422, "
                        "C444, C411 and Cmono, and with 9 to 16 bits C420pN, C422pN, C444pN and "
                        "CmonoN (such as C420p10, Cmono16)";
                return false;
            }
            f.tags.push_back(token);
            break;
        case 'X':
            if (token == "XCOLORRANGE=FULL") f.full_range = true;
            f.tags.push_back(token);
            break;
        default:
            f.tags.push_back(token);  // other tags pass through
            break;
        }
    }
    if (!have_w || !have_h || !have_f) {
        error = std::string("the stream header lacks its ") +
                (!have_w ? "width (W)" : !have_h ? "height (H)" : "frame rate (F)");
        return false;
    }
    return check_frame_size(f, error);
}

std::string y4m_header_text(const y4m_format& f) {
    std::string s = std::string(y4m_magic) + " W" + std::to_string(f.w) + " H" +
                    std::to_string(f.h) + " F" + std::to_string(f.rate) + ":" +
                    std::to_string(f.scale);
    for (const std::string& tag : f.tags) s += " " + tag;
    return s + "\n";
}

// Reads up to the next newline. Returns 1 with the line, 0 at end of file
// before any byte, -1 for a line cut short by the end of the file, -2 for one
// longer than max_line.
static int read_line(FILE* in, std::string& line) {
    line.clear();
    for (;;) {
        const int c = getc(in);
        if (c == EOF) return line.empty() ? 0 : -1;
        if (c == '\n') return 1;
        if (line.size() >= max_line) return -2;
        line.push_back(static_cast<char>(c));
    }
}

bool read_y4m_header(FILE* in, y4m_format& f, std::string& error, const std::string& consumed) {
    std::string line;
    int got = read_line(in, line);
    if (!consumed.empty()) {
        line = consumed + line;
        if (got == 0) got = -1;
    }
    if (got == 0) {
        error = "the stream is empty";
        return false;
    }
    if (got < 0) {
        error = line.compare(0, 9, y4m_magic) != 0 ? "not a YUV4MPEG2 stream"
                : got == -1                      ? "the stream header is cut short"
                                                 : "the stream header is too long";
        return false;
    }
    return parse_y4m_header(line, f, error);
}

int read_y4m_frame(FILE* in, const y4m_format& f, int index, std::vector<uint8_t>& data,
                   std::string& error) {
    std::string line;
    const int got = read_line(in, line);
    if (got == 0) return 0;
    const std::string which = "frame " + std::to_string(index);
    if (got == -1) {
        error = which + " is truncated (the stream ends in its FRAME line)";
        return -1;
    }
    if (got == -2) {
        error = which + ": its FRAME line is too long";
        return -1;
    }
    if (line.compare(0, 5, "FRAME") != 0 || (line.size() > 5 && line[5] != ' ')) {
        error = which + ": no FRAME line where one belongs";
        return -1;
    }
    const size_t need = frame_bytes(f);
    data.resize(need);
    const size_t read = fread(data.data(), 1, need, in);
    if (read != need) {
        error = which + " is truncated (" + std::to_string(read) + " of " + std::to_string(need) +
                " bytes)";
        return -1;
    }
    return 1;
}

bool write_y4m_frame(FILE* out, const y4m_format& f, const std::vector<uint8_t>& data) {
    return fputs("FRAME\n", out) >= 0 && data.size() == frame_bytes(f) &&
           fwrite(data.data(), 1, data.size(), out) == data.size();
}
