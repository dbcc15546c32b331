#include "recording/decimate.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace orvel::recording {

void decimateMinMax(std::span<const double> times, std::span<const float> values, double from,
                    double to, int pixelColumns, std::vector<PlotPoint>& out) {
    out.clear();
    const std::size_t count = std::min(times.size(), values.size());
    if (count == 0 || pixelColumns <= 0 || !(to > from)) {
        return;
    }
    const auto t = times.first(count);
    std::size_t first =
        static_cast<std::size_t>(std::lower_bound(t.begin(), t.end(), from) - t.begin());
    std::size_t end =
        static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), to) - t.begin());
    const auto known = [&](std::size_t i) { return !std::isnan(values[i]); };
    const auto emit = [&](std::size_t i) {
        if (known(i)) {
            out.push_back({t[i], static_cast<double>(values[i])});
        } else if (!out.empty() && !out.back().gap()) {
            out.push_back({t[i], std::numeric_limits<double>::quiet_NaN()});
        }
    };
    const bool every = end - first <= 2 * static_cast<std::size_t>(pixelColumns);
    const double width = (to - from) / pixelColumns;

    if (first > 0) {
        emit(first - 1);
    }
    std::size_t i = first;
    while (i < end) {
        if (every || !known(i)) {
            emit(i++);
            continue;
        }
        // The column of sample i ends at the next multiple of the width; the
        // last one takes the sample at `to` too. An unknown sample ends it early.
        const auto column =
            std::min(static_cast<long>((t[i] - from) / width), static_cast<long>(pixelColumns) - 1);
        const double columnEnd = column == pixelColumns - 1
                                     ? std::numeric_limits<double>::infinity()
                                     : from + static_cast<double>(column + 1) * width;
        std::size_t low = i;
        std::size_t high = i;
        std::size_t j = i + 1;
        for (; j < end && t[j] < columnEnd && known(j); ++j) {
            if (values[j] < values[low]) {
                low = j;
            }
            if (values[j] > values[high]) {
                high = j;
            }
        }
        emit(std::min(low, high));
        if (low != high) {
            emit(std::max(low, high));
        }
        i = j;
    }
    if (end < count) {
        emit(end);
    }
}

} // namespace orvel::recording
