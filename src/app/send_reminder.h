#pragma once

#include <QFrame>
#include <QTimer>

#include <functional>

class QLabel;
class QToolButton;

namespace orvel::app {

// After "Enviar Dados": a short note in the free end of the tab row that the
// module can be checked, floating over the window (no box to answer, the pages'
// layout untouched), gone by itself after a while.
class SendReminder : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShownMs = 20000;

    explicit SendReminder(QWidget& window);

    // `action` names the button ("Conferir módulo", "Ver"); empty for none.
    void present(const QString& text, const QString& action);
    std::function<void()> onAction;

private:
    QLabel* text_ = nullptr;
    QToolButton* action_ = nullptr;
    QTimer hide_;
};

} // namespace orvel::app
