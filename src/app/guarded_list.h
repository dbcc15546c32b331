#pragma once

#include <QValidator>

#include <functional>

namespace orvel::app {

// Refuses every change the user makes to a guarded list's text, however the text
// comes in: a paste from the clipboard or the X selection (middle click), a drop,
// the edit's own menu. Keys never get this far (the window answers them first);
// text set by the program is not validated at all. The refusal is answered after
// the edit has put its text back, so the warning never opens inside the edit.
class GuardedListValidator : public QValidator {
    Q_OBJECT
public:
    GuardedListValidator(std::function<QString()> accepted, std::function<void()> refused,
                         QObject* parent);
    State validate(QString& input, int& position) const override;

private:
    std::function<QString()> accepted_;
    std::function<void()> refused_;
};

} // namespace orvel::app
