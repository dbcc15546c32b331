#include "app/send_reminder.h"

#include "app/tab_row_strip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace orvel::app {

SendReminder::SendReminder(QWidget& window) : QFrame(&window) {
    frameStrip(*this, QStringLiteral("lembreteConferir"), QStringLiteral("#e3f0ff"),
               QStringLiteral("#5b8fd0"));
    text_ = new QLabel;
    text_->setObjectName(QStringLiteral("lblLembrete"));
    action_ = new QToolButton;
    action_->setObjectName(QStringLiteral("btnLembreteAcao"));
    auto* close = new QToolButton;
    close->setObjectName(QStringLiteral("btnLembreteFechar"));
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("Fecha este aviso."));
    connect(action_, &QToolButton::clicked, this, [this] {
        hide();
        if (onAction) {
            onAction();
        }
    });
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    for (auto* b : {action_, close}) {
        b->setFixedHeight(kStripButtonHeight);
    }
    auto* layout = stripRow(*this);
    layout->addWidget(text_);
    layout->addWidget(action_);
    layout->addWidget(close);
    hide_.setSingleShot(true);
    hide_.setInterval(kShownMs);
    connect(&hide_, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void SendReminder::present(const QString& text, const QString& action) {
    text_->setText(text);
    action_->setText(action);
    action_->setVisible(!action.isEmpty());
    placeStrip(*this);
    show();
    hide_.start();
}

} // namespace orvel::app
