#include "app/replay_strip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace orvel::app {

namespace {

constexpr int kHeight = 23; // inside the tab row
constexpr int kTop = 1;
constexpr int kRightMargin = 4;

} // namespace

ReplayStrip::ReplayStrip(QWidget& window) : QFrame(&window) {
    setObjectName(QStringLiteral("faixaReproducao"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("#faixaReproducao { background: #fff4d6; border: 1px solid "
                                 "#c89b2c; border-radius: 3px; }"));
    auto* mark = new QLabel(QStringLiteral("<b>Reprodução</b>"));
    position_ = new QLabel;
    position_->setObjectName(QStringLiteral("lblFaixaPosicao"));
    play_ = new QToolButton;
    play_->setObjectName(QStringLiteral("btnFaixaPausar"));
    stop_ = new QToolButton;
    stop_->setObjectName(QStringLiteral("btnFaixaParar"));
    stop_->setText(QStringLiteral("Parar (Shift+F5)"));
    stop_->setToolTip(QStringLiteral("Encerra a reprodução; os botões voltam ao normal."));
    connect(play_, &QToolButton::clicked, this, [this] {
        if (onPlayOrPause) {
            onPlayOrPause();
        }
    });
    connect(stop_, &QToolButton::clicked, this, [this] {
        if (onStop) {
            onStop();
        }
    });
    for (auto* b : {play_, stop_}) {
        b->setFixedHeight(kHeight - 4); // within the strip's border
    }
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 3, 2);
    layout->setSpacing(6);
    layout->addWidget(mark);
    layout->addWidget(position_);
    layout->addWidget(play_);
    layout->addWidget(stop_);
    hide();
}

void ReplayStrip::present(bool visible, bool playing, const QString& position) {
    play_->setText(playing ? QStringLiteral("Pausar (F5)") : QStringLiteral("Continuar (F5)"));
    position_->setText(position);
    if (!visible) {
        hide();
        return;
    }
    // Wide enough for the longest position text, so the strip does not jump.
    position_->setMinimumWidth(
        position_->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 / 00:00:00")));
    adjustSize();
    const auto* window = parentWidget();
    setGeometry(window->width() - width() - kRightMargin, kTop, width(), kHeight);
    raise();
    setVisible(true);
}

} // namespace orvel::app
