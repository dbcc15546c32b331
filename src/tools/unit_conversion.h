#pragma once

#include "model/config.h"

#include <array>
#include <string>

namespace orvel {

class Form;

// The injection map in milliseconds or in percent of injector opening.
class UnitConversion {
public:
    explicit UnitConversion(Form& form) : form_(form) {}
    void btnPercentualClick();
    void btnmSClick();
    // Throws the conversion error, with the focus on the text, when the map in
    // percent could not go back to milliseconds; changes nothing.
    void checkWayBack() const;
    // While the map shows percent, reading, sending, saving, loading and the TPS
    // procedure stay off, whatever else would enable them (the event boundary
    // calls this after every event). Whether the procedure was on offer is kept
    // for the way back.
    void holdTransfers();
    // A configuration's injection row is about to arrive in milliseconds: a map
    // in percent goes back first, so that no cell is converted twice.
    void beforeMillisecondsArrive();

private:
    // The conversion back without the buttons.
    void showMilliseconds();
    enum class Direction { ToPercent, ToMilliseconds };
    // Every cell's new text, or a thrown error before anything has changed.
    [[nodiscard]] std::array<std::string, config::kMapCells>
    convertedMap(Direction direction) const;
    Form& form_;
    bool tpsOffered_ = false;
};

} // namespace orvel
