#pragma once

#include "files/map_file.h"
#include "model/config.h"

#include <optional>
#include <string>
#include <vector>

// The window's configuration beside a map file's: which values differ and by how much.
namespace orvel::compare {

struct Difference {
    std::size_t position = 0; // 0-based, in map-file order
    std::string caption;
    std::string current; // the window's text
    std::string other;   // the file's text
    // other - current, when both are numbers.
    std::optional<double> delta;
};

// A map file's 199 values as the loader would take them from the file's slots;
// throws ConversionError when the loader would refuse them (the TPS numbers).
[[nodiscard]] mapfile::Values valuesFromSlots(const std::vector<std::string>& slots);

// The values that differ, in file order. Numbers compare by value ("8" equals
// "8,0"); other texts compare exactly.
[[nodiscard]] std::vector<Difference> differences(const mapfile::Values& current,
                                                  const mapfile::Values& other);

// The setting at a file position as the user knows it from the window.
[[nodiscard]] std::string captionAt(std::size_t position);

// Map cells by position: ignition 8..79, injection 80..151.
inline constexpr std::size_t kIgnitionFirst = 8;
inline constexpr std::size_t kInjectionFirst = kIgnitionFirst + config::kMapCells;
[[nodiscard]] bool isMapCell(std::size_t position);

// "+0,4", "-2", "0".
[[nodiscard]] std::string formatDelta(double delta);

} // namespace orvel::compare
