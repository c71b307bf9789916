#pragma once

#include <vector>

// A grid of values reduced evenly to at most a given number of points a side, so that
// the surface of a large pattern stays quick to draw and to turn.
struct ThinnedGrid
{
    int columns = 0;
    int rows = 0;
    // Row by row, columns * rows values.
    std::vector<double> values;
    // Position of each kept column and row as a (fractional) index of the source grid:
    // evenly spaced from the first to the last source point.
    std::vector<double> columnIndex;
    std::vector<double> rowIndex;
};

// Each kept point stands for a block of source points and takes the block's value that
// lies farthest from the middle of the whole grid's range, so peaks and dips stay
// visible and the grid's highest and lowest values are always among those kept.
// values holds columns * rows values row by row; maxSide is at least 2.
ThinnedGrid ThinGrid(const std::vector<double>& values, int columns, int rows, int maxSide);
