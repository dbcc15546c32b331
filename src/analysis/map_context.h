#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {
class ControlStore;
}

namespace orvel::analysis {

inline constexpr double kInjectionMinimumMs = 0;
inline constexpr double kInjectionMaximumMs = 25; // the map tools' ceiling in milliseconds

// "cbSondaAtiva": where the module trims by the probe.
enum class ProbeMode { Active, Off, OffAtIdle };

// What the analysis needs from a configuration: the injection map it ran with,
// the lambda probe's activation temperature and mode, and the cylinder count.
struct MapContext {
    std::array<double, 72> injectionMs{};
    double probeTemperatureC = 0;
    ProbeMode probe = ProbeMode::Active;
    int cylinders = 0;

    // Same injection map, compared at the tenth the map shows.
    [[nodiscard]] bool sameInjectionMap(const MapContext& other) const;
};

// From the texts of a configuration by field name. Throws ConversionError when
// a text is not a number.
[[nodiscard]] MapContext
contextFromTexts(const std::function<std::string(std::string_view)>& textOf);
[[nodiscard]] MapContext contextFromStore(const ControlStore& store);
// From a map file's bytes (the "-mapa.txt" beside a recording). Throws FileError.
[[nodiscard]] MapContext contextFromMapFile(std::string_view bytes);

// The columns an analysis reads, as a recording's header names them.
[[nodiscard]] std::vector<std::string_view> requiredColumns();
// Required columns missing from a recording's header line (fields split by ';').
[[nodiscard]] std::vector<std::string> missingColumns(std::string_view headerLine);

} // namespace orvel::analysis
