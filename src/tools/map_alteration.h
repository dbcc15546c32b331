#pragma once

#include "activity/activity.h"

#include <functional>
#include <utility>

namespace orvel {

class ControlStore;
class Dialogs;

// The map-alteration mode and its whole-map, row and column shifts.
class MapAlteration {
public:
    // Leaving the mode brings a map in percent back to milliseconds.
    struct WayBack {
        std::function<void()> check; // throws, changing nothing, when it cannot
        std::function<void()> toMilliseconds;
    };
    MapAlteration(ControlStore& controls, Activity& activity, Dialogs& dialogs, WayBack wayBack)
        : controls_(controls), activity_(activity), dialogs_(dialogs),
          wayBack_(std::move(wayBack)) {}
    void btnAlterarMapasClick();
    void btnAlterarClick();
    void btnVoltarTelaPrincipalClick();

private:
    // Tells which ignition shift (whole map, column c, row r) is fractional,
    // with the focus on it; false when none is.
    bool refuseFractionalShift(double whole, double column, double row, int c, int r);
    ControlStore& controls_;
    Activity& activity_;
    Dialogs& dialogs_;
    WayBack wayBack_;
};

} // namespace orvel
