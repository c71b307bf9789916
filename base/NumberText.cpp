#include "base/NumberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
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

std::string FormatGrouped(long long value)
{
    std::string text = FormatInt(value);
    const std::size_t first = text.front() == '-' ? 1 : 0;
    for (std::size_t at = text.size(); at > first + 3; at -= 3)
        text.insert(at - 3, 1, ',');
    return text;
}

double CAtof(const char* text)
{
    // A plain decimal reads through from_chars to the same correctly rounded value, without
    // strtod's multi-precision set-up. Hex, "inf", "nan", a '+', a value out of range and
    // anything else unusual keep strtod's own rules.
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const char* const digits = p + (*p == '-' ? 1 : 0);
    const bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (*digits >= '0' && *digits <= '9' && !hex) {
        double value = 0.0;
        const auto [end, ec] = std::from_chars(p, p + std::strlen(p), value);
        if (ec == std::errc())
            return value;
    }
    return strtod_l(text, nullptr, CLocale());
}

int CAtol(std::string_view text)
{
    // Not strtol: intensity blocks hold millions of values, and from_chars is locale-free
    // and fast. It takes no '+' and no leading white space, so those are skipped here.
    std::size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r')))
        ++p;
    const bool plus = p < text.size() && text[p] == '+';
    const char* first = text.data() + p + (plus ? 1 : 0);
    const char* last = text.data() + text.size();
    if (plus && first < last && *first == '-')
        return 0;
    int value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range)
        return *first == '-' ? INT_MIN : INT_MAX;
    return value;
}
