#pragma once

#include "app/map_selection.h"
#include "editing/grid_operations.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace orvel::app {

class MainWindow;

// Block editing on the maps: the selections, the cells' context menu with the block
// operations, copy and paste, and undo and redo from anywhere in the window.
class MapEditing : public QObject {
    Q_OBJECT
public:
    explicit MapEditing(MainWindow& window);
    ~MapEditing() override;

    [[nodiscard]] MapSelection& selection(MapKind map);
    // The cells' context menu for a map's selection; the caller shows it.
    [[nodiscard]] std::unique_ptr<QMenu> buildMenu(MapKind map);

    void setValue(MapKind map);
    void addValue(MapKind map);
    void scaleByPercent(MapKind map);
    void interpolate(MapKind map);
    void smooth(MapKind map);
    void copy(MapKind map);
    void paste(MapKind map);

    [[nodiscard]] QAction* undoAction() const { return undo_; }
    [[nodiscard]] QAction* redoAction() const { return redo_; }

    // Asks the user for a number (title, prompt); empty when cancelled. Tests
    // replace the dialog.
    std::function<std::optional<QString>(const QString&, const QString&)> askNumber;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Operation = std::function<editing::Outcome(const editing::Grid&, editing::CellRect,
                                                     const editing::CellRule&)>;
    void apply(MapKind map, const std::string& stepName, const Operation& operation);
    void applyNumber(MapKind map, const QString& title, const QString& prompt,
                     const std::function<editing::Outcome(const editing::Grid&, editing::CellRect,
                                                          double, const editing::CellRule&)>& op);
    [[nodiscard]] std::string keyOf(MapKind map, int cell) const;
    void showMenu(MapSelection& selection, QPoint globalPos);
    void selected(MapSelection& selection);

    MainWindow& window_;
    std::unique_ptr<MapSelection> ignition_;
    std::unique_ptr<MapSelection> injection_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

} // namespace orvel::app
