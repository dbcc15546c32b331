#pragma once

#include "activity/activity.h"

#include <functional>
#include <utility>

namespace orvel {

class ControlStore;
class Dialogs;
struct FormState;

// The lambda-driven calibrator behind the three hidden buttons.
class Calibrator {
public:
    // The scanner toggle (decides by its button's caption).
    using ToggleScanner = std::function<void()>;
    Calibrator(ControlStore& controls, FormState& state, Activity& activity, Dialogs& dialogs,
               ToggleScanner toggleScanner)
        : controls_(controls), state_(state), activity_(activity), dialogs_(dialogs),
          toggleScanner_(std::move(toggleScanner)) {}
    void btnCalibrarClick();
    void btnRecalcularClick();
    void btnAnularClick();

private:
    void start();
    void stop();
    // Clears every cell's mark and gives it its normal background.
    void unmarkAll();
    ControlStore& controls_;
    FormState& state_;
    Activity& activity_;
    Dialogs& dialogs_;
    ToggleScanner toggleScanner_;
};

} // namespace orvel
