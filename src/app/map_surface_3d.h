#pragma once

#include "editing/map_heat.h"

class QSurfaceDataProxy;

namespace orvel::app {

// Puts a map's cells into a surface's data: rows are the RPM rows, columns the
// map's columns. A cell without a value lies at the map's lowest value. Only
// cells that changed are set again.
void fillSurface(QSurfaceDataProxy& proxy, const mapview::Cells& cells);

} // namespace orvel::app
