#pragma once

#include "activity/activity.h"
#include "core/control_store.h"
#include "editing/map_heat.h"
#include "form/form_state.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

class Q3DSurface;
class QLabel;
class QSurface3DSeries;
class QSurfaceDataProxy;

namespace orvel::app {

class HeatGrid;

// Why the 3D view cannot be shown here, in the user's words; none when it can.
[[nodiscard]] std::optional<QString> reasonWithout3d();

// Puts a map's cells into a surface's data: rows are the RPM rows, columns the
// map's columns. A cell without a value lies at the map's lowest value. Only
// cells that changed are set again.
void fillSurface(QSurfaceDataProxy& proxy, const mapview::Cells& cells);

// "Visualizar mapa": one map as a colour grid and a 3D surface turned with the
// mouse. Both follow the store as it changes and mark the cell the scanner or a
// replay shows the engine in.
class MapViewWindow : public QWidget {
    Q_OBJECT
public:
    MapViewWindow(ControlStore& store, const FormState& state, const Activity& activity,
                  mapview::Map map, QWidget* parent);
    ~MapViewWindow() override;
    MapViewWindow(const MapViewWindow&) = delete;
    MapViewWindow& operator=(const MapViewWindow&) = delete;

    [[nodiscard]] static QString objectNameFor(mapview::Map map);

    [[nodiscard]] HeatGrid* grid() const { return grid_; }
    [[nodiscard]] Q3DSurface* surface() const { return surface_; }
    // Brings both views up to the store now (changes are otherwise gathered
    // until the event loop runs).
    void refresh();

private:
    void storeChanged(const std::string& name, Prop prop);
    [[nodiscard]] std::optional<int> cellInUse() const;
    [[nodiscard]] QString title() const;
    void build3d(QWidget* holder);

    ControlStore& store_;
    const FormState& state_;
    const Activity& activity_;
    mapview::Map map_;
    ControlStore::ObserverId observer_ = 0;
    QTimer pending_;
    HeatGrid* grid_ = nullptr;
    QLabel* note_ = nullptr;
    Q3DSurface* surface_ = nullptr;
    QSurface3DSeries* series_ = nullptr;
};

} // namespace orvel::app
