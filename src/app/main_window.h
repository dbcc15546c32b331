#pragma once

#include "core/form.h"
#include "core/platform.h"

#include <QString>
#include <QWidget>

#include <memory>

namespace orvel::app {

// The Qt window: builds a real widget for every control of the store, with the
// control's name as object name, and keeps widgets and store in step both ways.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(SerialLink& link, PortProber& prober, TimerFactory& timers, Dialogs& dialogs,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] Form& form() { return *form_; }
    // The widget that shows a control, by the control's name.
    [[nodiscard]] QWidget* control(const QString& name) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Form> form_;
};

} // namespace orvel::app
