#pragma once

#include "app/map_view_actions.h"
#include "editing/grid_operations.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <functional>

class QLineEdit;
class QWidget;

namespace orvel::app {

class MainWindow;
class SelectionFrame;

// A rectangle of cells on one map, chosen by click and drag, Shift+click or
// Shift+arrow keys. Shown by a frame painted over the map, so the cells keep their
// own colours (a cell the scanner marks stays red).
class MapSelection : public QObject {
    Q_OBJECT
public:
    MapSelection(MainWindow& window, MapKind map); // installs itself on the map's cells
    ~MapSelection() override;

    [[nodiscard]] MapKind map() const { return map_; }
    [[nodiscard]] editing::CellRect rect() const;
    [[nodiscard]] int anchor() const { return anchor_; }
    void select(int anchor, int current);
    // Back to the one cell that has the focus, without a frame.
    void collapse();
    [[nodiscard]] QLineEdit* cell(int n) const;
    // The number of a cell widget of this map, or -1.
    [[nodiscard]] int indexOf(const QObject* cell) const;
    // The cell under a point of the window, or -1.
    [[nodiscard]] int cellAt(QPoint windowPos) const;

    // The user asked for the cells' menu at a screen position.
    std::function<void(MapSelection&, QPoint)> onMenu;
    // The selection changed by the user's hand.
    std::function<void(MapSelection&)> onChanged;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void extendBy(int rows, int columns);
    void changed();

    MainWindow& window_;
    MapKind map_;
    std::array<QLineEdit*, config::kMapCells> cells_{};
    SelectionFrame* frame_ = nullptr;
    int anchor_ = 0;
    int current_ = 0;
    bool dragging_ = false;
    bool started_ = false; // Shift+click extends only a selection begun before
};

} // namespace orvel::app
