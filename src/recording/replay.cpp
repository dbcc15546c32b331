#include "recording/replay.h"

#include <algorithm>
#include <cmath>

namespace orvel::recording {

namespace {

std::int64_t toMs(double seconds) {
    return std::llround(seconds * 1000);
}

} // namespace

Replay::Replay(std::unique_ptr<Timer> timer, FrameSink sink)
    : timer_(std::move(timer)), sink_(std::move(sink)) {
    timer_->setInterval(kTickMs);
    timer_->setEnabled(false);
    timer_->onTimer = [this] { tick(); };
}

void Replay::load(std::shared_ptr<const Recording> recording) {
    timer_->setEnabled(false);
    recording_ = std::move(recording);
    next_ = 0;
    positionMs_ = 0;
}

double Replay::duration() const {
    return recording_ && recording_->rows() > 0 ? recording_->time(recording_->rows() - 1) : 0.0;
}

void Replay::play() {
    if (!recording_ || recording_->rows() == 0) {
        return;
    }
    if (next_ >= recording_->rows()) {
        next_ = 0;
        positionMs_ = 0;
    }
    timer_->setEnabled(true);
}

void Replay::pause() {
    timer_->setEnabled(false);
}

void Replay::setSpeed(int factor) {
    speed_ = std::clamp(factor, 1, 8);
}

void Replay::seek(double seconds) {
    if (!recording_ || recording_->rows() == 0) {
        return;
    }
    positionMs_ = std::clamp<std::int64_t>(toMs(seconds), 0, toMs(duration()));
    const double at = static_cast<double>(positionMs_) / 1000;
    std::size_t row = recording_->rowAt(at);
    if (row < recording_->rows() && toMs(recording_->time(row)) == positionMs_) {
        ++row;
    }
    next_ = row;
    if (row > 0) {
        playRow(row - 1);
    }
}

void Replay::tick() {
    if (!recording_) {
        timer_->setEnabled(false);
        return;
    }
    positionMs_ += static_cast<std::int64_t>(kTickMs) * speed_;
    const std::size_t rows = recording_->rows();
    while (next_ < rows && toMs(recording_->time(next_)) <= positionMs_) {
        playRow(next_++);
    }
    if (next_ >= rows) {
        timer_->setEnabled(false);
        positionMs_ = toMs(duration());
    }
    if (onTick) {
        onTick();
    }
    if (next_ >= rows && onEnd) {
        onEnd();
    }
}

void Replay::playRow(std::size_t row) {
    for (const auto& frame : recording_->frames(row)) {
        // A frame the session never received is kept as id 0: nothing to play.
        if (frame.id != 0) {
            sink_(frame);
        }
    }
}

std::optional<int> recordedCylinderCount(const Recording& recording) {
    constexpr int kMostCylinders = 12;
    for (std::size_t row = 0; row < recording.rows(); ++row) {
        const auto rpm = recording.fixedValue(col::rpm, row); // whole RPM
        if (rpm <= 0) {                                       // unknown too
            continue;
        }
        for (const auto& frame : recording.frames(row)) {
            const int period = frames::u16(frame.data[5], frame.data[6]);
            if (frame.id != 30 || period == 0) {
                continue;
            }
            for (int n = 1; n <= kMostCylinders; ++n) {
                if (4'800'000 / n / period == rpm) {
                    return n;
                }
            }
            return std::nullopt; // the RPM does not come from this period
        }
    }
    return std::nullopt;
}

} // namespace orvel::recording
