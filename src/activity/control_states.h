#pragma once

#include "activity/activity.h"

#include <string_view>
#include <vector>

namespace orvel {

class ControlStore;

// The enabled and visible state of every control that depends on what runs,
// as one function of the activity. Nothing else writes these states.
struct DerivedState {
    enum class Property { Enabled, Visible, TabVisible };
    std::string_view control;
    Property property;
    bool value;
};

[[nodiscard]] std::vector<DerivedState> controlStates(const Activity& activity);

// Writes them into the store (pair partners follow); unchanged ones notify nobody.
void applyControlStates(ControlStore& controls, const Activity& activity);

} // namespace orvel
