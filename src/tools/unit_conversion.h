#pragma once

namespace orvel {

class Form;

// The injection map in milliseconds or in percent of injector opening.
class UnitConversion {
public:
    explicit UnitConversion(Form& form) : form_(form) {}
    void btnPercentualClick();
    void btnmSClick();

private:
    Form& form_;
};

} // namespace orvel
