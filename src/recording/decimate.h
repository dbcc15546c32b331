#pragma once

#include <cmath>
#include <span>
#include <vector>

namespace orvel::recording {

// A point of a plotted line; y is NaN where the line breaks (unknown samples).
struct PlotPoint {
    double x;
    double y;
    [[nodiscard]] bool gap() const { return std::isnan(y); }
    friend bool operator==(const PlotPoint& a, const PlotPoint& b) {
        return a.x == b.x && (a.y == b.y || (a.gap() && b.gap()));
    }
};

// Reduces the samples of one channel to what a plot `pixelColumns` wide can show of
// the time range [from, to]: in each pixel column its minimum and maximum, in the
// order they occur, so that spikes survive and the line keeps its shape. The
// nearest sample outside each end is kept too, so the line runs on to the edges.
// With no more than two samples per column every sample in range is kept.
// Unknown samples (NaN) are left out and break the line: one gap point at the
// first of them. `times` ascend; `out` is cleared and reused (a redraw allocates
// nothing).
void decimateMinMax(std::span<const double> times, std::span<const float> values, double from,
                    double to, int pixelColumns, std::vector<PlotPoint>& out);

} // namespace orvel::recording
