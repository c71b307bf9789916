#include "base/FormatGmtNow.h"

#include "base/FixedText.h"

#include <cstdio>

void FormatGmt(std::time_t when, char (&date)[12], char (&time)[12])
{
    std::tm utc{};
    if (gmtime_r(&when, &utc) == nullptr) {
        date[0] = '\0';
        time[0] = '\0';
        return;
    }
    // Years past 9999 would not fit the 11 characters: the text is cut.
    char text[64];
    std::snprintf(text, sizeof text, "%4d-%.2d-%.2d", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday);
    CopyText(date, text);
    std::snprintf(text, sizeof text, "%2d:%.2d:%.2d", utc.tm_hour, utc.tm_min, utc.tm_sec);
    CopyText(time, text);
}

void FormatGmtNow(char (&date)[12], char (&time)[12])
{
    FormatGmt(std::time(nullptr), date, time);
}
