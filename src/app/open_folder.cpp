#include "app/open_folder.h"

#include "core/errors.h"
#include "form/form.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace orvel::app {

void openFolderInFileManager(QObject* owner, Form& form, const QString& folder,
                             const std::string& notOpened) {
    QDir().mkpath(QFileInfo(folder).path());
    if (!QDir(folder).exists()) {
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
#ifdef Q_OS_LINUX
    // xdg-open starts even with no file manager to hand the folder to: only its
    // exit tells, after the handler that asked.
    auto* open = new QProcess(owner);
    const auto failed = [&form, open, notOpened] {
        open->deleteLater();
        form.dispatch([notOpened] { throw FileError(notOpened); });
    };
    QObject::connect(open, &QProcess::finished, owner,
                     [open, failed](int code, QProcess::ExitStatus) {
                         if (code != 0) {
                             failed();
                         } else {
                             open->deleteLater();
                         }
                     });
    QObject::connect(open, &QProcess::errorOccurred, owner, [failed](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failed();
        }
    });
    open->start(QStringLiteral("xdg-open"), {folder});
#else
    (void)owner;
    (void)form;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        throw FileError(notOpened);
    }
#endif
}

} // namespace orvel::app
