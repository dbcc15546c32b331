#include "recording/decimate.h"

namespace orvel::recording {

namespace {

struct Arrays {
    std::span<const double> times;
    std::span<const float> values;
    [[nodiscard]] std::size_t size() const { return std::min(times.size(), values.size()); }
    [[nodiscard]] double time(std::size_t i) const { return times[i]; }
    [[nodiscard]] bool known(std::size_t i) const { return !std::isnan(values[i]); }
    [[nodiscard]] double value(std::size_t i) const { return values[i]; }
};

} // namespace

void decimateMinMax(std::span<const double> times, std::span<const float> values, double from,
                    double to, int pixelColumns, std::vector<PlotPoint>& out) {
    decimateMinMax(Arrays{times, values}, from, to, pixelColumns, out);
}

} // namespace orvel::recording
