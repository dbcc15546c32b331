#pragma once

#include "core/platform.h"

#include <functional>
#include <utility>

namespace orvel {

// Boxes and file dialogs that first bring the window up to date: a box opened
// inside a handler shows the controls as they are, not as the event found them.
class RefreshingDialogs : public Dialogs {
public:
    RefreshingDialogs(Dialogs& dialogs, std::function<void()> refresh)
        : dialogs_(dialogs), refresh_(std::move(refresh)) {}
    void message(const std::string& text) override {
        refresh_();
        dialogs_.message(text);
    }
    void error(const std::string& text) override {
        refresh_();
        dialogs_.error(text);
    }
    std::optional<std::string> saveFileName(const FileDialogOptions& options) override {
        refresh_();
        return dialogs_.saveFileName(options);
    }
    std::optional<std::string> openFileName(const FileDialogOptions& options) override {
        refresh_();
        return dialogs_.openFileName(options);
    }

private:
    Dialogs& dialogs_;
    std::function<void()> refresh_;
};

} // namespace orvel
