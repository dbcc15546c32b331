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

private:
    enum class Direction { ToPercent, ToMilliseconds };
    // Every cell's new text, or a thrown error before anything has changed.
    [[nodiscard]] std::array<std::string, config::kMapCells>
    convertedMap(Direction direction) const;
    Form& form_;
};

} // namespace orvel
