// The numbers of the command line, read exactly: no locale, no wrap-around,
// no more digits than the value can hold. Kept apart from the option parser
// so that the beat page reads a typed frame rate with the same rules.
#pragma once

// Beats per minute as a decimal with at most one decimal place, to bpm*10
// ("128" -> 1280, "128.5" -> 1285), at most nine digits, so never beyond
// what a long long holds. False for anything else.
bool parse_bpm(const char* text, long long& bpm_x10);

// A signed decimal integer of at most 18 digits (no wrap-around), for the
// track values, whose range the module's record gives.
bool parse_long(const char* text, long long& value);

// A frame rate: "30", "30000/1001", "30000:1001" or a decimal such as "29.97"
// (at most three decimal places), as rate / scale.
bool parse_fps(const char* text, int& rate, int& scale);

// Milliseconds with an optional sign and at most three decimal places
// ("-12.5"), at most nine digits.
bool parse_ms(const char* text, double& ms);

// A signed decimal integer that fits in 32 bits, nothing else.
bool parse_int(const char* text, int& value);
