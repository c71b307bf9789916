#include "FormatGmtNow.h"

#include <cstdio>

void FormatGmt(std::time_t when, char (&date)[12], char (&time)[12])
{
    std::tm utc{};
    if (gmtime_r(&when, &utc) == nullptr) {
        date[0] = '\0';
        time[0] = '\0';
        return;
    }
    std::snprintf(date, sizeof date, "%4d-%.2d-%.2d", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday);
    std::snprintf(time, sizeof time, "%2d:%.2d:%.2d", utc.tm_hour, utc.tm_min, utc.tm_sec);
}

void FormatGmtNow(char (&date)[12], char (&time)[12])
{
    FormatGmt(std::time(nullptr), date, time);
}
