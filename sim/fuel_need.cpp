#include "fuel_need.h"

#include "model/config.h"
#include "model/number_text.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>

namespace orvel::sim {

namespace {

constexpr int kRows = 9;
constexpr int kColumns = 8;

// Catmull-Rom through four samples at -1, 0, 1, 2, at x in 0..1: smooth, exact
// at the samples, and straight where the samples are.
double catmullRom(double p0, double p1, double p2, double p3, double x) {
    return p1 + 0.5 * x *
                    (p2 - p0 + x * (2 * p0 - 5 * p1 + 4 * p2 - p3 + x * (3 * (p1 - p2) + p3 - p0)));
}

// The node table read at continuous coordinates, bicubic, edges held.
double smoothAt(const std::array<double, 72>& nodes, double row, double column) {
    row = std::clamp(row, 0.0, kRows - 1.0);
    column = std::clamp(column, 0.0, kColumns - 1.0);
    const int r = std::min(static_cast<int>(row), kRows - 2);
    const int c = std::min(static_cast<int>(column), kColumns - 2);
    const auto node = [&](int i, int j) {
        return nodes[static_cast<std::size_t>(std::clamp(i, 0, kRows - 1) * kColumns +
                                              std::clamp(j, 0, kColumns - 1))];
    };
    std::array<double, 4> across{};
    for (int i = 0; i < 4; ++i) {
        const int ri = r - 1 + i;
        across[static_cast<std::size_t>(i)] =
            catmullRom(node(ri, c - 1), node(ri, c), node(ri, c + 1), node(ri, c + 2), column - c);
    }
    return catmullRom(across[0], across[1], across[2], across[3], row - r);
}

} // namespace

FuelFactors noFuelFactors() {
    FuelFactors f;
    f.fill(1.0);
    return f;
}

FuelError noFuelError() {
    return {noFuelFactors(), {}};
}

FuelError exampleFuelError() {
    FuelFactors f = noFuelFactors();
    for (int cell : {8, 9, 17, 18, 19, 26, 27}) { // idle and light load: lean, needs more
        f[static_cast<std::size_t>(cell)] = 1.10;
    }
    for (int cell : {35, 36, 37, 44, 45, 46, 47}) { // mid RPM, higher load: rich
        f[static_cast<std::size_t>(cell)] = 0.92;
    }
    return {f, {}};
}

FuelError waveFuelError() {
    // About 3,3 rows and 4,5 columns per period: no two nodes see the same phase.
    return {noFuelFactors(), [](double row, double column) {
                return 1 + 0.06 * std::sin(2 * std::numbers::pi * row / 3.3) *
                               std::cos(2 * std::numbers::pi * column / 4.5);
            }};
}

FuelFactors parseFuelFactors(std::string_view text) {
    FuelFactors f{};
    std::size_t count = 0;
    std::size_t at = 0;
    const auto separator = [](char c) {
        return c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    while (at < text.size()) {
        while (at < text.size() && separator(text[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < text.size() && !separator(text[end])) {
            ++end;
        }
        if (end == at) {
            break;
        }
        const std::string field(text.substr(at, end - at));
        double value = 0;
        try {
            value = numtext::parseDecimal(field);
        } catch (const std::exception&) {
            throw std::invalid_argument("fuel error: '" + field + "' is not a number");
        }
        if (value < 0.5 || value > 2) {
            throw std::invalid_argument("fuel error: factor '" + field + "' is outside 0,5 to 2");
        }
        if (count == f.size()) {
            throw std::invalid_argument("fuel error: more than 72 factors");
        }
        f[count++] = value;
        at = end;
    }
    if (count != f.size()) {
        throw std::invalid_argument("fuel error: 72 factors needed, found " +
                                    std::to_string(count));
    }
    return f;
}

double rowCoordinate(double rpm) {
    const auto& rows = config::kRowRpm;
    if (rpm <= rows.front()) {
        return 0;
    }
    for (std::size_t row = 0; row + 1 < rows.size(); ++row) {
        if (rpm < rows[row + 1]) {
            return static_cast<double>(row) + (rpm - rows[row]) / (rows[row + 1] - rows[row]);
        }
    }
    return kRows - 1;
}

FuelNeed::FuelNeed(const ModuleConfig& initial, FuelError error) : error_(std::move(error)) {
    for (std::size_t n = 0; n < baseMs_.size(); ++n) {
        baseMs_[n] = initial.injection[n] / 10.0;
    }
}

double FuelNeed::at(double row, double column) const {
    const double inRow = row - std::floor(row);
    const double inColumn = column - std::floor(column);
    const double breathing =
        1 + kBreathing * std::sin(std::numbers::pi * inRow) * std::sin(std::numbers::pi * inColumn);
    const double field = error_.field ? error_.field(row, column) : 1.0;
    return smoothAt(baseMs_, row, column) * smoothAt(error_.factors, row, column) * breathing *
           field;
}

double FuelNeed::ms(double rpm, double throttle) const {
    return at(rowCoordinate(rpm), std::clamp(throttle, 0.0, 1.0) * (kColumns - 1));
}

double FuelNeed::atNode(int cell) const {
    return at(cell / kColumns, cell % kColumns);
}

} // namespace orvel::sim
