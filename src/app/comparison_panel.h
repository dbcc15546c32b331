#pragma once

#include "core/control_store.h"
#include "editing/compare.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <vector>

class QLabel;
class QTreeWidget;

namespace orvel::app {

class CellFrames;
class MainWindow;

// "Comparar com arquivo...": while it lives, the map cells that differ from the
// file are framed (an overlay over the page, the cells themselves untouched)
// and tell the file's value in their tool tip; this small window lists the
// other settings that differ. Closing it ("Fechar comparação") ends the comparison.
class ComparisonPanel : public QWidget {
    Q_OBJECT
public:
    ComparisonPanel(MainWindow& window, const QString& fileName, mapfile::Values fileValues);
    ~ComparisonPanel() override;
    ComparisonPanel(const ComparisonPanel&) = delete;
    ComparisonPanel& operator=(const ComparisonPanel&) = delete;

    // The comparison running in a window, if any.
    [[nodiscard]] static ComparisonPanel* of(const MainWindow& window);

    [[nodiscard]] const std::vector<compare::Difference>& differences() const {
        return differences_;
    }
    // What a differing map cell's tool tip says; empty for a cell that agrees.
    [[nodiscard]] QString cellToolTip(const QString& cell) const;
    // Compares again now (changes are otherwise gathered until the event loop runs).
    void recompute();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitCaptions();

    MainWindow& window_;
    ControlStore& store_;
    mapfile::Values fileValues_;
    std::vector<compare::Difference> differences_;
    QHash<QString, QString> cellTips_; // cell name -> tool tip
    ControlStore::ObserverId observer_ = 0;
    QTimer pending_;
    QPointer<CellFrames> overlay_;
    QLabel* summary_ = nullptr;
    QTreeWidget* others_ = nullptr;
};

} // namespace orvel::app
