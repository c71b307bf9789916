#include "NumberText.h"

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

int CAtol(const char* text)
{
    const long value = strtol_l(text, nullptr, 10, CLocale());
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}
