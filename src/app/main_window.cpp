#include "app/main_window.h"

#include <QCloseEvent>

namespace orvel::app {

MainWindow::MainWindow(SerialLink& link, PortProber& prober, TimerFactory& timers,
                       Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), form_(std::make_unique<Form>(link, prober, timers, dialogs)) {
    form_->create();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::control(const QString& name) const { return findChild<QWidget*>(name); }

void MainWindow::closeEvent(QCloseEvent* event) {
    form_->close();
    event->accept();
}

} // namespace orvel::app
