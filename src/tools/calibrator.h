#pragma once

namespace orvel {

class Form;

// The lambda-driven calibrator behind the three hidden buttons.
class Calibrator {
public:
    explicit Calibrator(Form& form) : form_(form) {}
    void btnCalibrarClick();
    void btnRecalcularClick();
    void btnAnularClick();

private:
    Form& form_;
};

} // namespace orvel
