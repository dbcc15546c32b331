#include "app/correction_window.h"

namespace orvel::app {

void openCorrectionWindow(QWidget* /*parent*/, MainWindow& /*window*/,
                          const std::vector<std::string>& /*recordingPaths*/) {}

} // namespace orvel::app
