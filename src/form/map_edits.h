#pragma once

#include "editing/grid_operations.h"
#include "editing/map_heat.h"

#include <functional>
#include <string>

namespace orvel {

class Activity;
class Form;

// Block operations on one map of the window, as its cells' menu asks for them.
namespace mapedit {

using Operation = std::function<editing::Outcome(const editing::Grid&, const editing::CellRule&)>;

// What the map's cells accept now: the injection map in percent takes percent.
[[nodiscard]] const editing::CellRule& ruleOf(const Activity& activity, mapview::Map map);

// Runs the operation on the map's cells as one undo step by that name. A refusal
// shows in the plain box and changes nothing; so does a cell in percent whose
// milliseconds would leave the map's range. False when refused.
bool apply(Form& form, mapview::Map map, const std::string& stepName, const Operation& operation);

} // namespace mapedit
} // namespace orvel
