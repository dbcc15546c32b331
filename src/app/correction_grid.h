#pragma once

#include "analysis/correction.h"

#include <QString>

#include <string_view>

class QTableWidget;
class QTableWidgetItem;

namespace orvel {
class ControlStore;
}

namespace orvel::app {

// A value as the map shows it ("0.0", "+0.0;-0.0;0.0", ...).
[[nodiscard]] QString decimalText(double value, std::string_view pattern);

// An injection map's grid: the rows' RPMs, the columns' captions as the window
// shows them, fixed cells, nothing to edit.
[[nodiscard]] QTableWidget* makeCorrectionGrid(const ControlStore& controls);

// How one cell of the proposal reads: its proposed value and change, or the
// value it keeps (not covered, excluded, within tolerance), with the readings
// behind it in the tooltip.
void showProposedCell(QTableWidgetItem& item, const analysis::CellResult& cell, bool excluded,
                      double tolerancePercent);
void clearProposedCell(QTableWidgetItem& item);

} // namespace orvel::app
