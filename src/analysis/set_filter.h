#pragma once

#include "analysis/correction.h"

#include <cstddef>
#include <deque>
#include <optional>

namespace orvel::analysis {

// Steps through a recording's sets in order and says which rule, if any, leaves
// a set out, and how many engine seconds a used set stands for.
class SetFilter {
public:
    SetFilter(const recording::Recording& r, const MapContext& own, const Options& options);

    struct Verdict {
        std::optional<Filter> out;
        double seconds = 0; // engine time since the previous set, when used
    };
    Verdict check(std::size_t row, int rpmPosition, int loadPosition);

private:
    struct Point {
        double t; // engine seconds
        int rpmPosition;
        int loadPosition;
    };
    [[nodiscard]] int ignitionPeriod(std::size_t row) const;
    [[nodiscard]] bool probeInactive(int loadPosition) const;
    [[nodiscard]] bool settled(std::size_t row, double t) const;

    const recording::Recording& r_;
    const MapContext& own_;
    const Options& options_;
    double scale_;
    double previousTps_ = 0;
    double previousTime_ = 0;
    // The running sets since the last break, back to the first at or before the
    // settling time: enough to say how far the positions moved over it.
    std::deque<Point> recent_;
};

} // namespace orvel::analysis
