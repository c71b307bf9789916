#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <locale.h>

namespace {

locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

} // namespace

std::string FormatFixed(double value, int decimals)
{
    char buf[512];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed,
                                         decimals < 0 ? 0 : decimals);
    if (ec != std::errc())
        return {};
    return std::string(buf, end);
}

std::string FormatInt(long long value)
{
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, ec == std::errc() ? end : buf);
}

double CAtof(const char* text)
{
    return strtod_l(text, nullptr, CLocale());
}

int CAtol(std::string_view text)
{
    // Hand-made rather than strtol: intensity blocks hold millions of values.
    std::size_t p = 0;
    const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (p < text.size() && isSpace(text[p]))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '-' || text[p] == '+'))
        negative = text[p++] == '-';
    long long value = 0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p)
        value = std::min(value * 10 + (text[p] - '0'), 2147483648LL);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
