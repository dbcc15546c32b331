#pragma once

#include "transfer/module_checker.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace orvel::app {

class CellFrames;
class KeptFilesGroup;
class MainWindow;
class SendReminder;

// The "Módulo" page: "Conferir módulo" and its result, and the list of the
// configurations read and sent. After a send it reminds of the check, or runs
// it when the user asked for that (kept in the settings).
class ModulePage : public QWidget {
    Q_OBJECT
public:
    explicit ModulePage(MainWindow& window);
    ~ModulePage() override;
    ModulePage(const ModulePage&) = delete;
    ModulePage& operator=(const ModulePage&) = delete;

    void setHiddenEdges(int right, int bottom);
    [[nodiscard]] KeptFilesGroup& keptFiles() { return *kept_; }
    [[nodiscard]] SendReminder& reminder() { return *reminder_; }
    // The settings key of "check after every send".
    static constexpr const char* kCheckAfterSendKey = "modulo/conferirAposEnviar";

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildCheckGroup();
    void check();
    void sent();
    void showResult(const ModuleChecker::Result& result);
    void clearResult();
    void statesChanged();

    MainWindow& window_;
    QPushButton* check_ = nullptr;
    QCheckBox* afterSend_ = nullptr;
    QLabel* status_ = nullptr;
    QListWidget* differences_ = nullptr;
    QPushButton* sendAgain_ = nullptr;
    QPushButton* clear_ = nullptr;
    KeptFilesGroup* kept_ = nullptr;
    SendReminder* reminder_ = nullptr;
    QPointer<CellFrames> frames_;
    bool shownInReminder_ = false; // the running check was started by a send
    bool reminderChecks_ = false;  // the reminder's button starts a check
};

} // namespace orvel::app
