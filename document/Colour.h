#pragma once

#include <array>
#include <cstdint>

// Colours keep the instrument program's 0x00BBGGRR layout (red in the low byte) in
// the model, the settings and the files; only drawing code converts them.
using COLORREF = std::uint32_t;
using ColourTable = std::array<COLORREF, 256>;

constexpr COLORREF Rgb(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(COLORREF c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(COLORREF c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(COLORREF c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

// The table every run starts with: 16 bands of 16 equal entries.
ColourTable BuiltInColourTable();
