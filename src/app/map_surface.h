#pragma once

#include "editing/map_heat.h"

#include <QString>

#include <memory>
#include <optional>

class Q3DSurface;
class QVBoxLayout;

namespace orvel::app {

// Why the 3D view cannot be shown here, in the user's words; none when it can.
[[nodiscard]] std::optional<QString> reasonWithout3d();

// The 3D surface beside a map view's colour grid, turned with the mouse. Built
// from map_surface_3d.cpp where the toolkit has its 3D module, else from
// map_surface_none.cpp, which never makes one.
class MapSurface {
public:
    virtual ~MapSurface() = default;
    // The map's cells, and the cell the engine is in.
    virtual void show(const mapview::Cells& cells, std::optional<int> inUse) = 0;
    [[nodiscard]] virtual Q3DSurface* graph() const = 0;
};

// Adds a surface for `map` to `column`; call only when reasonWithout3d gives none.
[[nodiscard]] std::unique_ptr<MapSurface> makeMapSurface(mapview::Map map, QVBoxLayout& column);

} // namespace orvel::app
