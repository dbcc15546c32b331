#pragma once

#include "activity/activity.h"

#include <array>
#include <cstddef>
#include <string_view>

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

inline constexpr std::size_t kDerivedStates = 66;
using DerivedStates = std::array<DerivedState, kDerivedStates>;

[[nodiscard]] DerivedStates controlStates(const Activity& activity);

// The pages the window builds beside the store's controls ("Módulo").
struct PageStates {
    bool checkModule = false; // "Conferir módulo" enabled
    bool checking = false;    // its wait shown
    bool load = false;        // "Carregar na janela", as "Carregar"
    friend bool operator==(const PageStates&, const PageStates&) = default;
};
[[nodiscard]] PageStates pageStates(const Activity& activity);

// Writes into the store (pair partners follow) the states that differ from
// `applied`, the ones written last time, or all of them when it is empty.
void applyControlStates(ControlStore& controls, const DerivedStates& states,
                        const DerivedStates* applied);

} // namespace orvel
