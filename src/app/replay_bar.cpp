#include "app/replay_bar.h"

#include "app/main_window.h"
#include "app/recording_plot.h"
#include "app/replay_strip.h"
#include "core/errors.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>

#include <cmath>

namespace orvel::app {

namespace {

constexpr int kSliderSteps = 10; // per second

} // namespace

ReplayBar::ReplayBar(MainWindow& window, RecordingPlot& plot)
    : QGroupBox(QStringLiteral(" Reprodução ")), window_(window), plot_(plot) {
    play_ = new QPushButton(QStringLiteral("Reproduzir"));
    play_->setObjectName(QStringLiteral("btnReproduzir"));
    play_->setToolTip(QStringLiteral("Reproduz o registro na janela como se o módulo o enviasse "
                                     "(F5). Nada é enviado à porta."));
    stop_ = new QPushButton(QStringLiteral("Parar"));
    stop_->setObjectName(QStringLiteral("btnPararReproducao"));
    stop_->setToolTip(QStringLiteral("Encerra a reprodução (Shift+F5)."));
    speed_ = new QComboBox;
    speed_->setObjectName(QStringLiteral("cbVelocidade"));
    speed_->addItems(
        {QStringLiteral("1x"), QStringLiteral("2x"), QStringLiteral("4x"), QStringLiteral("8x")});
    speed_->setToolTip(QStringLiteral("Velocidade da reprodução."));
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setObjectName(QStringLiteral("slPosicao"));
    slider_->setToolTip(QStringLiteral("Posição da reprodução."));
    position_ = new QLabel;
    position_->setObjectName(QStringLiteral("lblPosicao"));
    position_->setMinimumWidth(
        position_->fontMetrics().horizontalAdvance(QStringLiteral("0:00:00 / 0:00:00")) + 8);
    position_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    connect(play_, &QPushButton::clicked, this, [this] { playOrPause(); });
    connect(stop_, &QPushButton::clicked, this, [this] { stop(); });
    connect(speed_, &QComboBox::currentIndexChanged, this,
            [this](int index) { window_.form().replay.player.setSpeed(1 << index); });
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        window_.form().dispatch([this, value] {
            window_.form().replay.player.seek(static_cast<double>(value) / kSliderSteps);
        });
        changed();
    });
    playKey_ = new QShortcut(QKeySequence(Qt::Key_F5), &window_);
    connect(playKey_, &QShortcut::activated, this, [this] { playOrPause(); });
    stopKey_ = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5), &window_);
    connect(stopKey_, &QShortcut::activated, this, [this] { stop(); });

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(play_);
    layout->addWidget(stop_);
    layout->addWidget(new QLabel(QStringLiteral("Velocidade:")));
    layout->addWidget(speed_);
    layout->addWidget(slider_, 1);
    layout->addWidget(position_);
    strip_ = new ReplayStrip(*window_.control(QStringLiteral("Form1")));
    strip_->onPlayOrPause = [this] { playOrPause(); };
    strip_->onStop = [this] { stop(); };
    if (auto* tabs = qobject_cast<QTabWidget*>(window_.control(QStringLiteral("Mapas")))) {
        connect(tabs, &QTabWidget::currentChanged, this, [this] { changed(); });
    }
    window_.form().replay.onChange = [this] { changed(); };
    changed();
}

ReplayBar::~ReplayBar() {
    window_.form().replay.onChange = nullptr;
}

void ReplayBar::setRecording(std::shared_ptr<const recording::Recording> recording) {
    recording_ = std::move(recording);
    changed();
}

void ReplayBar::stop() {
    window_.form().dispatch([this] { window_.form().replay.end(); });
}

void ReplayBar::playOrPause() {
    auto& form = window_.form();
    auto& replay = form.replay;
    if (replay.active() && replay.player.playing()) {
        replay.player.pause();
        changed();
        return;
    }
    form.dispatch([&] {
        if (!replay.active()) {
            if (!recording_) {
                throw RefusedError("Abra um registro para reproduzir");
            }
            replay.start(recording_);
            replay.player.setSpeed(1 << speed_->currentIndex());
            // The replay shows on the maps' page, as the scanner does.
            if (auto* tabs = qobject_cast<QTabWidget*>(window_.control(QStringLiteral("Mapas")))) {
                tabs->setCurrentWidget(window_.control(QStringLiteral("TabSheet1")));
            }
        }
        replay.play();
    });
}

void ReplayBar::changed() {
    const auto& replay = window_.form().replay;
    const auto& player = replay.player;
    const bool active = replay.active();
    play_->setText(active && player.playing() ? QStringLiteral("Pausar")
                   : active                   ? QStringLiteral("Continuar")
                                              : QStringLiteral("Reproduzir"));
    play_->setEnabled(active || recording_ != nullptr);
    stop_->setEnabled(active);
    slider_->setEnabled(active);
    {
        const QSignalBlocker blocker(slider_);
        slider_->setRange(0, static_cast<int>(std::ceil(player.duration() * kSliderSteps)));
        if (!slider_->isSliderDown()) {
            slider_->setValue(static_cast<int>(std::lround(player.position() * kSliderSteps)));
        }
    }
    position_->setText(active ? durationText(player.position()) + QStringLiteral(" / ") +
                                    durationText(player.duration())
                              : QString());
    const bool shown = active && player.recording() == recording_;
    plot_.setPlayhead(shown ? std::optional(player.position()) : std::nullopt);
    strip_->present(active && !isVisible(), player.playing(), position_->text());
    // The keys are the replay's own: on the two other pages they stay the
    // fields' keys unless a replay already runs.
    playKey_->setEnabled(active || onOwnPage());
    stopKey_->setEnabled(active);
}

bool ReplayBar::onOwnPage() const {
    const auto* tabs = qobject_cast<QTabWidget*>(window_.control(QStringLiteral("Mapas")));
    return tabs != nullptr && tabs->currentWidget() != nullptr &&
           tabs->currentWidget()->isAncestorOf(this);
}

} // namespace orvel::app
