#pragma once

#include <string>
#include <vector>

class QWidget;

namespace orvel::app {

class MainWindow;

// "Analisar": proposes injection-map corrections from the selected recordings'
// lambda trims and lets the user apply them to the window's map.
void openCorrectionWindow(QWidget* parent, MainWindow& window,
                          const std::vector<std::string>& recordingPaths);

} // namespace orvel::app
