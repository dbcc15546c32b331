#pragma once

#include "activity/activity.h"
#include "core/control_store.h"
#include "editing/map_heat.h"
#include "form/form_state.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class Q3DSurface;
class QLabel;

namespace orvel::app {

class HeatGrid;
class MapSurface;

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
    // The 3D view; null where it cannot be shown.
    [[nodiscard]] Q3DSurface* surface() const;
    // Brings both views up to the store now (changes are otherwise gathered
    // until the event loop runs).
    void refresh();

private:
    void storeChanged(const std::string& name, Prop prop);
    [[nodiscard]] std::optional<int> cellInUse() const;
    [[nodiscard]] QString title() const;

    ControlStore& store_;
    const FormState& state_;
    const Activity& activity_;
    mapview::Map map_;
    ControlStore::ObserverId observer_ = 0;
    QTimer pending_;
    HeatGrid* grid_ = nullptr;
    QLabel* note_ = nullptr;
    std::unique_ptr<MapSurface> surface_;
};

} // namespace orvel::app
