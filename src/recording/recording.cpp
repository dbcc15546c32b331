#include "recording/recording.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvel::recording {

namespace {

constexpr std::size_t kFrameBytes = 9;

constexpr bool isWide(std::size_t column) {
    return column == col::rpm || column == col::duty;
}

// Where a column lives: its index among the wide or among the narrow columns.
constexpr std::size_t slotOf(std::size_t column) {
    std::size_t slot = 0;
    for (std::size_t c = 0; c < column; ++c) {
        slot += isWide(c) == isWide(column) ? 1 : 0;
    }
    return slot;
}

// The ranges follow from the frames' decoding (transfer/scanner_values.h):
// a byte, a signed byte, a flag, or the formula applied to the extreme bytes.
constexpr std::array<FixedRange, kValueCount> kRanges{{
    {0, 4'800'000},   // RPM: 4 800 000 / 1 cylinder / period 1
    {0, 16383},       // Ti: 16 bits shifted by two, in tenths
    {0, 2550},        // Sonda
    {0, 255},         // Temperatura
    {-128, 127},      // % Curto
    {-128, 127},      // % Longo
    {0, 255},         // Avanço
    {0, 32031},       // TPS: 65535 counts * 5 V / 1023, in hundredths
    {0, 255},         // Coluna do TPS
    {0, 255},         // ColunaMAP
    {0, 255},         // M. Lenta
    {820, 5920},      // Pressão Atm
    {-128, 127},      // Correção Temperatura
    {-128, 127},      // Correção Pressão Atm
    {-128, 127},      // Correção Avanço
    {0, 100'000'000}, // Ciclo do injetor: the extreme RPM and Ti give about 52 million
    {-128, 127},      // Linha Da RPM
    {0, 255},         // Posição da Carga
    {0, 1},           // Bomba
    {0, 1},           // Eletro
    {0, 1},           // AR / C
}};

static_assert([] {
    for (std::size_t c = 0; c < kValueCount; ++c) {
        if (!isWide(c) && (kRanges[c].min < std::numeric_limits<std::int16_t>::min() ||
                           kRanges[c].max > std::numeric_limits<std::int16_t>::max())) {
            return false;
        }
    }
    return true;
}());

// What the column's storage holds; wider than the frames' range, so that a
// recording built in memory keeps what it was given as far as it can. The
// lowest number of each width stands for an unknown value.
constexpr std::int16_t kNarrowUnknown = std::numeric_limits<std::int16_t>::min();

FixedRange storageRange(std::size_t column) {
    using Narrow = std::numeric_limits<std::int16_t>;
    using Wide = std::numeric_limits<std::int32_t>;
    return isWide(column) ? FixedRange{Wide::min() + 1, Wide::max()}
                          : FixedRange{Narrow::min() + 1, Narrow::max()};
}

double scaleOf(std::size_t column) {
    return std::pow(10.0, kValueColumns[column].decimals);
}

std::int32_t clampTo(double value, std::int64_t min, std::int64_t max) {
    if (!(value == value)) {
        return static_cast<std::int32_t>(min); // NaN
    }
    const double clamped = std::clamp(value, static_cast<double>(min), static_cast<double>(max));
    return static_cast<std::int32_t>(std::llround(clamped));
}

template <typename V> std::size_t bytesOf(const std::vector<V>& v) {
    return v.capacity() * sizeof(V);
}

} // namespace

FixedRange fixedRange(int column) {
    return kRanges[static_cast<std::size_t>(column)];
}

std::size_t Recording::rows() const {
    return timesMs_.size();
}

double Recording::time(std::size_t row) const {
    return timesMs_[row] / 1000.0;
}

std::int32_t Recording::fixedValue(int column, std::size_t row) const {
    const auto c = static_cast<std::size_t>(column);
    if (isWide(c)) {
        return wide_[slotOf(c)][row];
    }
    const std::int16_t v = narrow_[slotOf(c)][row];
    return v == kNarrowUnknown ? kUnknown : v;
}

double Recording::value(int column, std::size_t row) const {
    const std::int32_t v = fixedValue(column, row);
    return v == kUnknown ? std::numeric_limits<double>::quiet_NaN()
                         : v / scaleOf(static_cast<std::size_t>(column));
}

Recording::ColumnView Recording::column(int column) const {
    const auto c = static_cast<std::size_t>(column);
    ColumnView view;
    if (isWide(c)) {
        view.wide_ = wide_[slotOf(c)].data();
    } else {
        view.narrow_ = narrow_[slotOf(c)].data();
    }
    view.scale_ = scaleOf(c);
    return view;
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

Row Recording::row(std::size_t row) const {
    Row out;
    out.timeMs = timesMs_[row];
    for (std::size_t c = 0; c < kValueCount; ++c) {
        out.values[c] = fixedValue(static_cast<int>(c), row);
    }
    out.frames = frames(row);
    return out;
}

std::size_t Recording::rowAt(double seconds) const {
    const auto ms = clampTo(seconds * 1000, std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max());
    return static_cast<std::size_t>(std::lower_bound(timesMs_.begin(), timesMs_.end(), ms) -
                                    timesMs_.begin());
}

void Recording::append(double seconds, const std::array<double, kValueColumns.size()>& values,
                       const FrameSet& frames) {
    Row r;
    r.timeMs = clampTo(seconds * 1000, 0, std::numeric_limits<std::int32_t>::max());
    for (std::size_t c = 0; c < kValueCount; ++c) {
        r.values[c] = std::isnan(values[c]) ? kUnknown
                                            : clampTo(values[c] * scaleOf(c), storageRange(c).min,
                                                      storageRange(c).max);
    }
    r.frames = frames;
    append(r);
}

void Recording::append(const Row& row) {
    timesMs_.push_back(row.timeMs);
    for (std::size_t c = 0; c < kValueCount; ++c) {
        const bool unknown = row.values[c] == kUnknown;
        const auto v = unknown
                           ? (isWide(c) ? kUnknown : kNarrowUnknown)
                           : std::clamp(row.values[c], storageRange(c).min, storageRange(c).max);
        if (isWide(c)) {
            wide_[slotOf(c)].push_back(v);
        } else {
            narrow_[slotOf(c)].push_back(static_cast<std::int16_t>(v));
        }
    }
    for (const auto& frame : row.frames) {
        frames_.push_back(frame.id);
        frames_.insert(frames_.end(), frame.data.begin(), frame.data.end());
    }
}

void Recording::reserve(std::size_t rows) {
    timesMs_.reserve(rows);
    for (auto& v : narrow_) {
        v.reserve(rows);
    }
    for (auto& v : wide_) {
        v.reserve(rows);
    }
    frames_.reserve(rows * kFrameBytes * 3);
}

std::size_t Recording::memoryBytes() const {
    std::size_t total = bytesOf(timesMs_) + bytesOf(frames_);
    for (const auto& v : narrow_) {
        total += bytesOf(v);
    }
    for (const auto& v : wide_) {
        total += bytesOf(v);
    }
    return total;
}

} // namespace orvel::recording
