#include "recording/recording.h"

#include <algorithm>
#include <cmath>

namespace orvel::recording {

namespace {

constexpr std::size_t kColumns = kValueColumns.size();
constexpr std::size_t kFrameBytes = 9;

double scaleOf(std::size_t column) {
    return std::pow(10.0, kValueColumns[column].decimals);
}

} // namespace

std::size_t Recording::rows() const {
    return timesMs_.size();
}

double Recording::time(std::size_t row) const {
    return timesMs_[row] / 1000.0;
}

double Recording::value(int column, std::size_t row) const {
    const auto c = static_cast<std::size_t>(column);
    return values_[row * kColumns + c] / scaleOf(c);
}

FrameSet Recording::frames(std::size_t row) const {
    FrameSet set{};
    const std::uint8_t* p = &frames_[row * kFrameBytes * 3];
    for (auto& frame : set) {
        frame.id = p[0];
        std::copy(p + 1, p + kFrameBytes, frame.data.begin());
        p += kFrameBytes;
    }
    return set;
}

std::size_t Recording::rowAt(double seconds) const {
    const auto ms = static_cast<std::int32_t>(std::llround(seconds * 1000));
    return static_cast<std::size_t>(std::lower_bound(timesMs_.begin(), timesMs_.end(), ms) -
                                    timesMs_.begin());
}

void Recording::append(double seconds, const std::array<double, kValueColumns.size()>& values,
                       const FrameSet& frames) {
    timesMs_.push_back(static_cast<std::int32_t>(std::llround(seconds * 1000)));
    for (std::size_t c = 0; c < kColumns; ++c) {
        values_.push_back(static_cast<std::int32_t>(std::llround(values[c] * scaleOf(c))));
    }
    for (const auto& frame : frames) {
        frames_.push_back(frame.id);
        frames_.insert(frames_.end(), frame.data.begin(), frame.data.end());
    }
}

} // namespace orvel::recording
