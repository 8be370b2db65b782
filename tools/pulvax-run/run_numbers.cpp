#include "tools/pulvax-run/run_numbers.h"

#include <string.h>

#include <string>

// Digits with an optional sign, at most max_digits of them, as a long long.
static bool parse_signed(const char* text, int max_digits, long long& value) {
    const char* p = text;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    if (*p == '\0') return false;
    long long v = 0;
    for (int n = 0; *p; p++, n++) {
        if (*p < '0' || *p > '9' || n >= max_digits) return false;
        v = v * 10 + (*p - '0');
    }
    value = negative ? -v : v;
    return true;
}

bool parse_long(const char* text, long long& value) { return parse_signed(text, 18, value); }

bool parse_int(const char* text, int& value) {
    long long v = 0;
    if (!parse_signed(text, 10, v) || v > 2147483647LL || v < -2147483647LL - 1) return false;
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

bool parse_bpm(const char* text, long long& bpm_x10) {
    long long digits = 0;
    int places = 0;
    if (!parse_decimal(text, 1, digits, places)) return false;
    bpm_x10 = places == 0 ? digits * 10 : digits;
    return true;
}

bool parse_ms(const char* text, double& ms) {
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') text++;
    long long digits = 0;
    int places = 0;
    if (!parse_decimal(text, 3, digits, places)) return false;
    double scale = 1;
    for (int i = 0; i < places; i++) scale *= 10;
    ms = (negative ? -double(digits) : double(digits)) / scale;
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
