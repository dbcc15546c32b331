#pragma once

#include "core/control_store.h"
#include "model/config.h"

#include <array>
#include <optional>
#include <span>
#include <string>

// What the map views show: a map's cells as numbers and a colour for each,
// blue for the lowest value to red for the highest.
namespace orvel::mapview {

enum class Map { Ignition, Injection };

[[nodiscard]] std::string cellKey(Map map, int cell);

// A cell whose text is not a number (the user is typing) has no value.
using Cells = std::array<std::optional<double>, config::kMapCells>;
[[nodiscard]] Cells readCells(const ControlStore& store, Map map);

struct Range {
    double low = 0;
    double high = 0;
};
// Lowest and highest value of the cells that have one.
[[nodiscard]] std::optional<Range> rangeOf(const Cells& cells);

struct Stop {
    double at; // 0 (low) .. 1 (high)
    Rgb color;
};
// The scale's colour stops, shared by the grid and the 3D surface.
[[nodiscard]] std::span<const Stop> scaleStops();

// The colour of a value within the map's range; a flat map takes the middle colour.
[[nodiscard]] Rgb heatColor(double value, Range range);
// Black or white, whichever reads better on the background.
[[nodiscard]] Rgb textColorOn(Rgb background);

} // namespace orvel::mapview
