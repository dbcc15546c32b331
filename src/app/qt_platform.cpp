#include "app/qt_platform.h"

namespace orvel::app {

std::unique_ptr<Timer> QtTimerFactory::createTimer(const std::string& name) {
    (void)name;
    return nullptr;
}
void QtDialogs::message(const std::string& text) { (void)text; }
void QtDialogs::error(const std::string& text) { (void)text; }
std::optional<std::string> QtDialogs::saveFileName(const FileDialogSpec& spec) {
    (void)spec;
    return std::nullopt;
}
std::optional<std::string> QtDialogs::openFileName(const FileDialogSpec& spec) {
    (void)spec;
    return std::nullopt;
}

} // namespace orvel::app
