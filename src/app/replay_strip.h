#pragma once

#include <QFrame>

#include <functional>

class QLabel;
class QToolButton;

namespace orvel::app {

// While a replay runs and another page than "Registros" shows, a small strip in
// the free end of the tab row says so and pauses or stops it: floating over the
// window, outside the pages' layout.
class ReplayStrip : public QFrame {
    Q_OBJECT
public:
    explicit ReplayStrip(QWidget& window);

    // What the replay bar knows; shown only when `visible`.
    void present(bool visible, bool playing, const QString& position);

    std::function<void()> onPlayOrPause;
    std::function<void()> onStop;

private:
    QLabel* position_ = nullptr;
    QToolButton* play_ = nullptr;
    QToolButton* stop_ = nullptr;
};

} // namespace orvel::app
