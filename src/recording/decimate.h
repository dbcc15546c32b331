#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
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
// Unknown samples are left out and break the line: one gap point at the first of
// them. `out` is cleared and reused (a redraw allocates nothing).
//
// Samples give size(), time(i) (ascending), known(i) and value(i), read in place
// so that the plot keeps no copy of a recording.
template <typename Samples>
void decimateMinMax(const Samples& s, double from, double to, int pixelColumns,
                    std::vector<PlotPoint>& out) {
    out.clear();
    const std::size_t count = s.size();
    if (count == 0 || pixelColumns <= 0 || !(to > from)) {
        return;
    }
    // First sample at or after a time, or after it (upper).
    const auto search = [&](double t, bool upper) {
        std::size_t low = 0;
        std::size_t high = count;
        while (low < high) {
            const std::size_t mid = low + (high - low) / 2;
            if (upper ? s.time(mid) <= t : s.time(mid) < t) {
                low = mid + 1;
            } else {
                high = mid;
            }
        }
        return low;
    };
    const std::size_t first = search(from, false);
    const std::size_t end = search(to, true);
    const auto put = [&](std::size_t i) {
        if (s.known(i)) {
            out.push_back({s.time(i), s.value(i)});
        } else if (!out.empty() && !out.back().gap()) {
            out.push_back({s.time(i), std::numeric_limits<double>::quiet_NaN()});
        }
    };
    const bool every = end - first <= 2 * static_cast<std::size_t>(pixelColumns);
    const double width = (to - from) / pixelColumns;

    if (first > 0) {
        put(first - 1);
    }
    std::size_t i = first;
    while (i < end) {
        if (every || !s.known(i)) {
            put(i++);
            continue;
        }
        // The column of sample i ends at the next multiple of the width; the
        // last one takes the sample at `to` too. An unknown sample ends it early.
        const auto column = std::min(static_cast<long>((s.time(i) - from) / width),
                                     static_cast<long>(pixelColumns) - 1);
        const double columnEnd = column == pixelColumns - 1
                                     ? std::numeric_limits<double>::infinity()
                                     : from + static_cast<double>(column + 1) * width;
        std::size_t low = i;
        std::size_t high = i;
        double lowValue = s.value(i);
        double highValue = lowValue;
        std::size_t j = i + 1;
        for (; j < end && s.time(j) < columnEnd && s.known(j); ++j) {
            const double v = s.value(j);
            if (v < lowValue) {
                low = j;
                lowValue = v;
            }
            if (v > highValue) {
                high = j;
                highValue = v;
            }
        }
        put(std::min(low, high));
        if (low != high) {
            put(std::max(low, high));
        }
        i = j;
    }
    if (end < count) {
        put(end);
    }
}

// The same over plain arrays: NaN values are unknown.
void decimateMinMax(std::span<const double> times, std::span<const float> values, double from,
                    double to, int pixelColumns, std::vector<PlotPoint>& out);

} // namespace orvel::recording
