#include "app/tab_row_strip.h"

#include <QFrame>
#include <QHBoxLayout>

namespace orvel::app {

namespace {

constexpr int kTop = 1;
constexpr int kRightMargin = 4;

} // namespace

void frameStrip(QFrame& strip, const QString& name, const QString& background,
                const QString& border) {
    strip.setObjectName(name);
    strip.setFrameShape(QFrame::StyledPanel);
    strip.setStyleSheet(
        QStringLiteral("#%1 { background: %2; border: 1px solid %3; border-radius: 3px; }")
            .arg(name, background, border));
}

QHBoxLayout* stripRow(QFrame& strip) {
    auto* layout = new QHBoxLayout(&strip);
    layout->setContentsMargins(6, 2, 3, 2);
    layout->setSpacing(6);
    return layout;
}

void placeStrip(QFrame& strip) {
    strip.adjustSize();
    const auto* window = strip.parentWidget();
    strip.setGeometry(window->width() - strip.width() - kRightMargin, kTop, strip.width(),
                      kStripHeight);
    strip.raise();
}

} // namespace orvel::app
