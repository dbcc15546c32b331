#include "tools/map_arithmetic.h"

#include "core/errors.h"
#include "model/number_text.h"

#include <algorithm>
#include <array>

namespace orvel::maparith {

namespace {
constexpr std::array kFloorZeroCells{9, 27, 28, 29, 37, 38, 39, 47, 48, 49, 57, 58, 59, 67, 68, 69};
} // namespace

double scaledInjection(double cell, double whole, double column, double row) {
    const double c = column + whole;
    return (row + c + 100) / 100 * cell;
}

double shiftedIgnition(double cell, double whole, double column, double row) {
    const double c = column + whole;
    return row + c + cell;
}

int ignitionFloor(int cell) {
    return std::find(kFloorZeroCells.begin(), kFloorZeroCells.end(), cell) != kFloorZeroCells.end()
               ? 0
               : 1;
}

std::string injectionCellText(double value, bool milliseconds) {
    std::string text = numtext::formatPattern(value, "0.0; -0.0; 0.0");
    // The bound is judged on the text the cell shows, not on the unrounded value;
    // reading it back also refuses a result too large to be a number.
    const double shown = numtext::parseDecimal(text);
    if (milliseconds && shown > kInjectionCeilingMs) {
        text = "25";
    }
    return text;
}

std::string ignitionCellText(int cell, double value) {
    std::string text = numtext::formatGeneral(value);
    const double shown = numtext::parseDecimal(text);
    if (shown < ignitionFloor(cell)) {
        text = "0";
    }
    if (shown > kIgnitionCeiling) {
        text = "50";
    }
    return text;
}

CylinderFactors cylinderFactors(int cylinders) {
    if (cylinders < 1) {
        throw RefusedError(" Atenção ! !  Número de cilindros inválido: " +
                           numtext::formatInteger(cylinders) + " ");
    }
    // 120 / n is the share of a revolution per cylinder firing that the reference
    // period covers: 30 for 4 cylinders, 20 for 6, 15 for 8.
    const double k = 120.0 / cylinders;
    return {k, 2400.0 / cylinders};
}

double toPercent(double ms, int rpm, double k) {
    const double period = (1 / (rpm / k)) * 1000 * 2;
    return ms * (100 / period);
}

double toMilliseconds(double percent, int rpm, double bigK) {
    return percent / (rpm / bigK);
}

std::string convertedCellText(double value) {
    return numtext::formatPattern(numtext::parseDecimal(numtext::formatGeneral(value)), "0.0");
}

} // namespace orvel::maparith
