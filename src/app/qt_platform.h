#pragma once

#include "core/platform.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace orvel::app {

// Timers on QTimer, with the semantics the handlers rely on.
class QtTimerFactory : public TimerFactory {
public:
    [[nodiscard]] std::unique_ptr<Timer> createTimer(const std::string& name) override;
};

// Modal boxes titled "Orvel" and the file dialogs.
class QtDialogs : public Dialogs {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    void message(const std::string& text) override;
    void error(const std::string& text) override;
    [[nodiscard]] std::optional<std::string>
    saveFileName(const FileDialogOptions& options) override;
    [[nodiscard]] std::optional<std::string>
    openFileName(const FileDialogOptions& options) override;

private:
    QPointer<QWidget> parent_;
};

// "Text files|*.txt|All files|*.*" -> {"Text files (*.txt)", "All files (*.*)"}.
[[nodiscard]] QStringList nameFilters(const std::string& filter);
// "*.txt" -> "txt".
[[nodiscard]] QString defaultSuffix(const std::string& defaultExt);

} // namespace orvel::app
