#pragma once

#include <string>
#include <string_view>

namespace orvel {

class ControlStore;

// How the user knows a configuration field from the window: its group and the
// caption beside it ("Sonda Lambda: °C"), or for a map cell the map, row and
// column ("Mapa de Injeção, 1800 RPM, coluna 3"). A field with no caption of its
// own is named by its group.
[[nodiscard]] std::string fieldCaption(const ControlStore& controls, std::string_view key);

} // namespace orvel
