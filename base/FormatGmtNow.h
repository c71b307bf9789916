#pragma once

#include <ctime>

// The UTC date "%4d-%.2d-%.2d" and time "%2d:%.2d:%.2d" (hour padded with a space)
// of the created and modified stamps, written into 12-byte buffers.
void FormatGmtNow(char (&date)[12], char (&time)[12]);
void FormatGmt(std::time_t when, char (&date)[12], char (&time)[12]);
