#pragma once

// A made-up drive for window tests, screenshots and benchmarks: idle while the
// engine warms up, acceleration, cruise, a deceleration cut-off, again and again.
// Each row's frames say what its values say (4 cylinders), so a replay shows them.

#include "recording/columns.h"
#include "recording/recording.h"
#include "recording/writer.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

namespace orvel::test {

inline recording::Recording sampleDrive(double seconds, double setsPerSecond = 5) {
    namespace col = recording::col;
    recording::Recording rec;
    const auto rows = static_cast<long>(seconds * setsPerSecond);
    for (long r = 0; r < rows; ++r) {
        const double t = static_cast<double>(r) / setsPerSecond;
        const double cycle = std::fmod(t, 120.0);
        const double wobble = std::sin(t * 1.3) + 0.5 * std::sin(t * 3.7);
        // Throttle (0..1) over a two-minute cycle: idle, pull, cruise, lift off.
        double tps = cycle < 30   ? 0.0
                     : cycle < 45 ? (cycle - 30) / 15 * 0.85
                     : cycle < 90 ? 0.35 + 0.05 * wobble
                                  : (cycle < 100 ? 0.0 : 0.12 + 0.03 * wobble);
        tps = std::clamp(tps, 0.0, 1.0);
        const bool cutOff = cycle >= 90 && cycle < 100;
        const double rpm = cycle < 30   ? 950 + 150 * std::exp(-t / 40) + 20 * wobble
                           : cycle < 45 ? 950 + (cycle - 30) / 15 * 4400
                           : cycle < 90 ? 2900 + 150 * wobble
                           : cutOff     ? 2900 - (cycle - 90) / 10 * 1700
                                        : 1300 + 60 * wobble;
        const int period = static_cast<int>(1'200'000 / rpm);
        const int shownRpm = 4'800'000 / 4 / period;
        const double ti = cutOff ? 0.0 : std::round((2.2 + tps * 7.5 + 0.1 * wobble) * 10) / 10;
        const double temp = std::min(92.0, 35 + t * 0.25);
        const double lambda =
            cutOff ? 80 : std::clamp(450 + 300 * std::sin(t * 1.9) + 80 * wobble, 60.0, 900.0);
        const int rpmPosition = std::clamp(static_cast<int>(shownRpm / 7200.0 * 48), 0, 48);
        const int load = static_cast<int>(std::round(tps * 42));
        const int tpsRaw = static_cast<int>(130 + tps * 100 * 4);
        const double advance = std::round(12 + rpm / 200 - tps * 6);
        const int shortTrim = static_cast<int>(std::round(4 * std::sin(t * 0.7)));
        const int longTrim = 3;
        const double duty = std::round(shownRpm / 4.0 * 20 * ti / 100 / 30);
        const auto u8 = [](double v) { return static_cast<std::uint8_t>(std::lround(v)); };
        const auto s8 = [](int v) {
            return static_cast<std::uint8_t>(static_cast<std::int8_t>(v));
        };
        const int tiRaw = static_cast<int>(ti * 10) << 2;
        recording::FrameSet frames{{
            {29,
             {u8(temp), u8(40 + tps * 200), u8(cutOff ? 10 : 35), u8(lambda / 10),
              static_cast<std::uint8_t>(tpsRaw & 0xFF), static_cast<std::uint8_t>(tpsRaw >> 8),
              u8(tps * 16), static_cast<std::uint8_t>(load)}},
            {30,
             {u8(advance), static_cast<std::uint8_t>(rpmPosition),
              static_cast<std::uint8_t>(tiRaw & 0xFF), static_cast<std::uint8_t>(tiRaw >> 8), 9,
              static_cast<std::uint8_t>(period & 0xFF), static_cast<std::uint8_t>(period >> 8), 1}},
            {31, {s8(shortTrim), s8(longTrim), s8(temp < 70 ? 8 : 0), 0, 0, u8(temp > 90), 0, 0}},
        }};
        std::array<double, recording::kValueColumns.size()> v{};
        v[col::rpm] = shownRpm;
        v[col::ti] = ti;
        v[col::lambdaMv] = u8(lambda / 10) * 10;
        v[col::temperature] = u8(temp);
        v[col::shortTrim] = shortTrim;
        v[col::longTrim] = longTrim;
        v[col::advance] = u8(advance);
        v[col::tpsVolts] = std::round(tpsRaw * 5 / 1023.0 * 100) / 100;
        v[col::tpsColumn] = u8(tps * 16);
        v[col::mapValue] = u8(40 + tps * 200);
        v[col::idleActuator] = cutOff ? 10 : 35;
        v[col::atmPressure] = 9 * 20 + 820;
        v[col::temperatureCorrection] = temp < 70 ? 8 : 0;
        v[col::duty] = duty;
        v[col::rpmPosition] = rpmPosition;
        v[col::loadPosition] = load;
        v[col::pump] = 1;
        v[col::fan] = temp > 90 ? 1 : 0;
        rec.append(t, v, frames);
    }
    return rec;
}

// Writes a recording file as the recorder does.
inline bool writeSampleFile(const QString& path, const recording::Recording& rec) {
    const std::string text = recording::writeRecording(rec);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

} // namespace orvel::test
