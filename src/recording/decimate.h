#pragma once

#include <span>
#include <vector>

namespace orvel::recording {

struct PlotPoint {
    double x;
    double y;
    friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

// Reduces the samples of one channel to what a plot `pixelColumns` wide can show of
// the time range [from, to]: in each pixel column its minimum and maximum, in the
// order they occur, so that spikes survive and the line keeps its shape. The
// nearest sample outside each end is kept too, so the line runs on to the edges.
// With no more than two samples per column every sample in range is kept.
// `times` ascend; `out` is cleared and reused (a redraw allocates nothing).
void decimateMinMax(std::span<const double> times, std::span<const float> values, double from,
                    double to, int pixelColumns, std::vector<PlotPoint>& out);

} // namespace orvel::recording
