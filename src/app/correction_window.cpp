#include "app/correction_window.h"

#include "app/correction_view.h"
#include "app/main_window.h"

namespace orvel::app {

void openCorrectionWindow(QWidget* parent, MainWindow& window,
                          const std::vector<std::string>& recordingPaths) {
    Dialogs& dialogs = window.form().dialogs;
    if (recordingPaths.empty()) {
        dialogs.message("Selecione um ou mais registros para analisar.");
        return;
    }
    std::vector<analysis::Input> inputs;
    try {
        for (const auto& path : recordingPaths) {
            inputs.push_back(analysis::loadInput(path));
        }
    } catch (const OrvelError& e) {
        dialogs.error(std::string("Não foi possível analisar: ") + e.what());
        return;
    }
    auto* view = new CorrectionWindow(window, std::move(inputs), parent);
    view->setWindowFlag(Qt::Window);
    // With no cell covered, or the map in percent, the window still opens: its
    // counters and status line say why there is nothing to apply.
    if (const QString problem = view->analyse();
        !view->proposal() && !window.form().activity.percent()) {
        dialogs.message("Nenhuma correção proposta. " + problem.toStdString());
        view->deleteLater();
        return;
    }
    view->show();
}

} // namespace orvel::app
