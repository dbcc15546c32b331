#include "app/qt_platform.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

namespace orvel::app {

namespace {

constexpr int kDefaultInterval = 1000;
const char* const kTitle = "Orvel";

// Setting the interval of a running timer restarts it only when the value changes;
// enabling a running timer leaves it alone; an interval of 0 never fires.
class QtTimer : public Timer {
public:
    QtTimer() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTimer) {
                onTimer();
            }
        });
    }

    void setInterval(int ms) override {
        if (ms == interval_) {
            return;
        }
        interval_ = ms;
        if (enabled_) {
            restart();
        }
    }
    [[nodiscard]] int interval() const override { return interval_; }

    void setEnabled(bool enabled) override {
        if (enabled == enabled_) {
            return;
        }
        enabled_ = enabled;
        if (enabled_) {
            restart();
        } else {
            timer_.stop();
        }
    }
    [[nodiscard]] bool enabled() const override { return enabled_; }

private:
    void restart() {
        if (interval_ > 0) {
            timer_.start(interval_);
        } else {
            timer_.stop();
        }
    }

    QTimer timer_;
    int interval_ = kDefaultInterval;
    bool enabled_ = false;
};

void showBox(QWidget* parent, QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(icon, QString::fromLatin1(kTitle), QString::fromStdString(text),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogOptions& options,
                                         QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, QString(), QString::fromStdString(options.initialDir));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(options.filter));
    dialog.setDefaultSuffix(defaultSuffix(options.defaultExt));
    if (!options.fileName.empty()) {
        dialog.selectFile(QString::fromStdString(options.fileName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

} // namespace

std::unique_ptr<Timer> QtTimerFactory::createTimer(const std::string& name) {
    (void)name;
    return std::make_unique<QtTimer>();
}

void QtDialogs::message(const std::string& text) {
    showBox(parent_, QMessageBox::NoIcon, text);
}

void QtDialogs::error(const std::string& text) {
    showBox(parent_, QMessageBox::Critical, text);
}

std::optional<std::string> QtDialogs::saveFileName(const FileDialogOptions& options) {
    return runFileDialog(parent_, options, QFileDialog::AcceptSave);
}

std::optional<std::string> QtDialogs::openFileName(const FileDialogOptions& options) {
    return runFileDialog(parent_, options, QFileDialog::AcceptOpen);
}

QStringList nameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'));
#ifndef Q_OS_WIN
        // "*.*" means every file on Windows; elsewhere it would hide names without a dot.
        for (QString& pattern : patterns) {
            if (pattern == QLatin1String("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
#endif
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QString defaultSuffix(const std::string& defaultExt) {
    QString suffix = QString::fromStdString(defaultExt);
    if (suffix.startsWith(QLatin1Char('*'))) {
        suffix.remove(0, 1);
    }
    if (suffix.startsWith(QLatin1Char('.'))) {
        suffix.remove(0, 1);
    }
    return suffix;
}

} // namespace orvel::app
