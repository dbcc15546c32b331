#include "app/command_line.h"
#include "app/main_window.h"
#include "app/qt_platform.h"
#include "app/system_style.h"
#include "link/system_serial_link.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    {
        const orvel::app::ConsoleOutput console;
        if (const auto status = orvel::app::answerCommandLine(argc, argv, std::cout, std::cerr)) {
            std::cout.flush();
            return *status;
        }
    }
    QApplication app(argc, argv);
    // The program's name as the desktop shows it. No display name: the platform
    // would append it to the window's caption.
    QApplication::setApplicationName(QStringLiteral(ORVEL_APP_NAME));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(ORVEL_APP_ID));
    orvel::app::installToolkitTranslations(app);
    orvel::app::installSystemStyle();

    orvel::SystemSerialLink link;
    orvel::app::QtTimerFactory timers;
    orvel::app::QtDialogs dialogs;
    orvel::app::MainWindow window(link, link, timers, dialogs);
    dialogs.setParent(&window);
    window.show();
    window.followScreen();
    return QApplication::exec();
}
