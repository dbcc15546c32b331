#pragma once

#include "activity/activity.h"
#include "model/config.h"

#include <array>
#include <string>

namespace orvel {

class ControlStore;

// The injection map in milliseconds or in percent of injector opening.
class UnitConversion {
public:
    UnitConversion(ControlStore& controls, Activity& activity)
        : controls_(controls), activity_(activity) {}
    // The buttons: refused while a transfer or the TPS procedure uses the map.
    void btnPercentualClick();
    void btnmSClick();
    // Back to milliseconds for whoever needs them (leaving the alteration mode).
    void toMilliseconds();
    // Throws the conversion error, with the focus on the text, when the map in
    // percent could not go back to milliseconds; changes nothing.
    void checkWayBack() const;
    // The map's cells in milliseconds whatever the window shows (a recording's
    // copy of the map); throws as checkWayBack.
    [[nodiscard]] std::array<std::string, config::kMapCells> millisecondTexts() const;
    // The text a cell in percent takes back in milliseconds, as the way back writes it;
    // throws RefusedError when the count of cylinders gives no conversion.
    [[nodiscard]] std::string millisecondText(int cell, double percent) const;
    // A configuration's injection row is about to arrive in milliseconds: a map
    // in percent goes back first, so that no cell is converted twice.
    void beforeMillisecondsArrive();

private:
    enum class Direction { ToPercent, ToMilliseconds };
    // Every cell's new text, or a thrown error before anything has changed.
    [[nodiscard]] std::array<std::string, config::kMapCells>
    convertedMap(Direction direction) const;
    // Writes the converted map and its unit caption; throws before any change.
    void show(Direction direction);
    ControlStore& controls_;
    Activity& activity_;
};

} // namespace orvel
