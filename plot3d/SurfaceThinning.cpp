#include "plot3d/SurfaceThinning.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// First source index of each of kept blocks, and one past the last.
std::vector<int> BlockStarts(int source, int kept)
{
    std::vector<int> starts(static_cast<std::size_t>(kept) + 1);
    for (int i = 0; i <= kept; ++i)
        starts[static_cast<std::size_t>(i)] =
            static_cast<int>(static_cast<long long>(i) * source / kept);
    return starts;
}

std::vector<double> EvenIndices(int source, int kept)
{
    std::vector<double> indices(static_cast<std::size_t>(kept));
    for (int i = 0; i < kept; ++i)
        indices[static_cast<std::size_t>(i)] =
            kept > 1 ? static_cast<double>(i) * (source - 1) / (kept - 1) : 0.0;
    return indices;
}

} // namespace

ThinnedGrid ThinGrid(const std::vector<double>& values, int columns, int rows, int maxSide)
{
    ThinnedGrid out;
    if (columns <= 0 || rows <= 0 ||
        values.size() < static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows))
        return out;
    maxSide = std::max(2, maxSide);
    out.columns = std::min(columns, maxSide);
    out.rows = std::min(rows, maxSide);
    out.columnIndex = EvenIndices(columns, out.columns);
    out.rowIndex = EvenIndices(rows, out.rows);
    if (out.columns == columns && out.rows == rows) {
        out.values = values;
        out.values.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
        return out;
    }

    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const double middle = (*low + *high) / 2.0;
    const std::vector<int> colStarts = BlockStarts(columns, out.columns);
    const std::vector<int> rowStarts = BlockStarts(rows, out.rows);
    out.values.resize(static_cast<std::size_t>(out.columns) * static_cast<std::size_t>(out.rows));
    for (int r = 0; r < out.rows; ++r) {
        for (int c = 0; c < out.columns; ++c) {
            double best = 0.0;
            double bestDistance = -1.0;
            for (int sr = rowStarts[static_cast<std::size_t>(r)];
                 sr < rowStarts[static_cast<std::size_t>(r) + 1]; ++sr) {
                const std::size_t base = static_cast<std::size_t>(sr) * columns;
                for (int sc = colStarts[static_cast<std::size_t>(c)];
                     sc < colStarts[static_cast<std::size_t>(c) + 1]; ++sc) {
                    const double v = values[base + static_cast<std::size_t>(sc)];
                    const double distance = std::abs(v - middle);
                    if (distance > bestDistance) {
                        bestDistance = distance;
                        best = v;
                    }
                }
            }
            out.values[static_cast<std::size_t>(r) * out.columns + static_cast<std::size_t>(c)] =
                best;
        }
    }
    return out;
}
