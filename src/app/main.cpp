#include "app/main_window.h"
#include "app/qt_platform.h"
#include "link/qt_serial_link.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The program's name as the desktop shows it. No display name: the platform
    // would append it to the window's caption.
    QApplication::setApplicationName(QStringLiteral("Orvel"));

    orvel::QtSerialLink link;
    orvel::app::QtTimerFactory timers;
    orvel::app::QtDialogs dialogs;
    orvel::app::MainWindow window(link, link, timers, dialogs);
    dialogs.setParent(&window);
    window.show();
    return QApplication::exec();
}
