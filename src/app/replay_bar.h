#pragma once

#include "recording/recording.h"

#include <QGroupBox>

#include <memory>

class QComboBox;
class QShortcut;
class QLabel;
class QPushButton;
class QSlider;

namespace orvel::app {

class MainWindow;
class RecordingPlot;
class ReplayStrip;

// " Reprodução ": plays a recording through the window ("Reproduzir" / "Pausar",
// "Parar", the speed, a position slider), with its place shown on the plot.
// F5 plays or pauses on this page, and from any page while a replay runs, when
// Shift+F5 stops it; on the other pages a small strip in the tab row shows it.
class ReplayBar : public QGroupBox {
    Q_OBJECT
public:
    ReplayBar(MainWindow& window, RecordingPlot& plot);
    ~ReplayBar() override;

    // The recording the plot shows, which "Reproduzir" plays when no replay runs.
    void setRecording(std::shared_ptr<const recording::Recording> recording);
    void playOrPause();
    void stop();

private:
    void changed();
    [[nodiscard]] bool onOwnPage() const;

    MainWindow& window_;
    RecordingPlot& plot_;
    std::shared_ptr<const recording::Recording> recording_;
    QPushButton* play_ = nullptr;
    QPushButton* stop_ = nullptr;
    QComboBox* speed_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* position_ = nullptr;
    ReplayStrip* strip_ = nullptr; // on the other pages
    QShortcut* playKey_ = nullptr;
    QShortcut* stopKey_ = nullptr;
};

} // namespace orvel::app
