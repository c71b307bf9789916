#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

class CVespiraDoc;

// One target as it is listed and sent: its running index and its position in mm.
struct Target
{
    int index = 0;
    double x = 0.0;
    double y = 0.0;
    float time = 0.0f;
};

// The targets of a pattern, top row first and left to right within a row.
std::vector<Target> ListTargets(const CVespiraDoc& doc);

// One line of the target list: run number 0, the frame number (at least three digits),
// X and Y in 8 columns with 3 decimals, the scan time in 12 columns with 1 decimal.
std::string FormatTargetLine(const Target& target);
// All lines, each ended by a line feed.
std::string TargetListText(const std::vector<Target>& targets);

// The sample number of the Collect field: the decimal value of the leading digits of its
// first 15 characters, 0 without any, saturated at the largest 32-bit integer.
int SampleNumberOf(std::string_view text);

// A job field from user text: at most 79 characters, never a split character.
void SetJobText(char (&field)[80], const QString& text);
