#include "document/Colour.h"

ColourTable BuiltInColourTable()
{
    static constexpr COLORREF bands[16] = {
        Rgb(0, 0, 0),     Rgb(0, 0, 127),     Rgb(0, 0, 255),     Rgb(0, 255, 255),
        Rgb(0, 255, 0),   Rgb(0, 127, 0),     Rgb(127, 127, 0),   Rgb(255, 255, 0),
        Rgb(127, 0, 0),   Rgb(255, 0, 0),     Rgb(255, 0, 255),   Rgb(127, 0, 127),
        Rgb(0, 127, 127), Rgb(127, 127, 127), Rgb(255, 127, 127), Rgb(255, 255, 255),
    };
    ColourTable table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = bands[i / 16];
    return table;
}
