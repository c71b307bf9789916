#pragma once

#include <string>
#include <string_view>

// Number conversions of files and messages, always with the decimal point whatever the
// user's locale.

// printf's "%.*f".
std::string FormatFixed(double value, int decimals);
// printf's "%d".
std::string FormatInt(long long value);
// An integer with a comma between groups of three digits ("361,201"), whatever the
// user's locale, for counts shown to the user.
std::string FormatGrouped(long long value);

// The C library's atof and atol: leading white space skipped, conversion stops at the
// first character that does not fit, no number gives 0. An integer beyond 32 bits
// saturates.
double CAtof(const char* text);
int CAtol(std::string_view text);
