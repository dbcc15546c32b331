#include "app/send_reminder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace orvel::app {

namespace {

constexpr int kHeight = 23; // inside the tab row, as the replay's strip
constexpr int kTop = 1;
constexpr int kRightMargin = 4;

} // namespace

SendReminder::SendReminder(QWidget& window) : QFrame(&window) {
    setObjectName(QStringLiteral("lembreteConferir"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("#lembreteConferir { background: #e3f0ff; border: 1px solid "
                                 "#5b8fd0; border-radius: 3px; }"));
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
        b->setFixedHeight(kHeight - 4);
    }
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 3, 2);
    layout->setSpacing(6);
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
    adjustSize();
    const auto* window = parentWidget();
    setGeometry(window->width() - width() - kRightMargin, kTop, width(), kHeight);
    raise();
    show();
    hide_.start();
}

} // namespace orvel::app
