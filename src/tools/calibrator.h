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
    void start();
    void stop();
    // Clears every cell's mark and gives it its normal background.
    void unmarkAll();
    void enableFileAndMapButtons();
    Form& form_;
};

} // namespace orvel
