#include "app/replay_strip.h"

#include "app/tab_row_strip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace orvel::app {

ReplayStrip::ReplayStrip(QWidget& window) : QFrame(&window) {
    frameStrip(*this, QStringLiteral("faixaReproducao"), QStringLiteral("#fff4d6"),
               QStringLiteral("#c89b2c"));
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
        b->setFixedHeight(kStripButtonHeight);
    }
    auto* layout = stripRow(*this);
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
    placeStrip(*this);
    setVisible(true);
}

} // namespace orvel::app
