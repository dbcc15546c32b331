#pragma once

#include "app/layout.h"
#include "core/platform.h"
#include "form/form.h"

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <memory>

class QScrollArea;
class QTabWidget;

namespace orvel::app {

class ModulePage;
class RecordingsPage;
class CellPanelStyle;
class MapEditing;

// The Qt window: builds a real widget for every control of the store, with the
// control's name as object name, and keeps widgets and store in step both ways.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(SerialLink& link, PortProber& prober, TimerFactory& timers, Dialogs& dialogs,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] Form& form() { return *form_; }
    // Selections, block operations, copy and paste, undo and redo on the maps.
    [[nodiscard]] MapEditing& editing() { return *editing_; }
    // The widget that shows a control, by the control's name.
    [[nodiscard]] QWidget* control(const QString& name) const;
    // The name of the control a widget belongs to (a combo box's inner editor
    // belongs to the combo box), or empty.
    [[nodiscard]] QString controlNameOf(const QWidget* widget) const;
    // The third page, "Registros": recordings, their plot and replay.
    [[nodiscard]] RecordingsPage& recordingsPage() { return *recordings_; }
    // The fourth page, "Módulo": the module check and the kept configurations.
    [[nodiscard]] ModulePage& modulePage() { return *module_; }
    void showPage(QWidget* page);
    // Keeps the window inside its screen's work area, now and when it moves to
    // another screen (the program calls it once shown).
    void followScreen();
    // Fits the window into a work area drawn around with `frame`.
    void fitInto(const QRect& workArea, const QMargins& frame);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    QWidget* ensureWidget(const std::string& name);
    void setUpWindow();
    void addOwnPages();
    void connectUserInput(const std::string& name, QWidget* widget);
    void storeChanged(const std::string& name, Prop prop);
    void focusControl(const std::string& name);
    void focusChanged(QWidget* old, QWidget* now);
    void userEditedText(const std::string& name, const QString& text);
    [[nodiscard]] const ControlLayout& layoutOf(const std::string& name) const;
    // The control's own font, or the nearest enclosing control's.
    [[nodiscard]] FontStyle fontFor(const std::string& name) const;
    [[nodiscard]] QWidget* pageOf(QWidget* widget) const;
    void fitToScreen();

    LayoutTable layout_;
    ControlLayout unplaced_;
    std::unique_ptr<Form> form_;
    QPixmap logo_;
    QWidget* canvas_ = nullptr; // "Form1": the content at its own size
    QScrollArea* scroll_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    RecordingsPage* recordings_ = nullptr;
    ModulePage* module_ = nullptr;
    QHash<QString, QWidget*> widgets_;
    QHash<const QWidget*, QString> names_;
    std::unique_ptr<MapEditing> editing_;
    // The map cells' style; it outlives the widgets, which go in the destructor.
    std::unique_ptr<CellPanelStyle> cellStyle_;
    // Store changes and focus requests move the focus too; those moves are not
    // the user leaving a field.
    int programmaticChanges_ = 0;
};

} // namespace orvel::app
