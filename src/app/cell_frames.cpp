#include "app/cell_frames.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace orvel::app {

namespace {
const QColor kFrame(255, 0, 255); // apart from the cells' yellow, black and scanner red
} // namespace

CellFrames::CellFrames(QWidget* page, QWidget* waitPanel, const QString& objectName)
    : QWidget(page) {
    setObjectName(objectName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(page->rect());
    // The page is sized by its tab control, possibly after this.
    page->installEventFilter(this);
    show();
    raise();
    if (waitPanel != nullptr) {
        stackUnder(waitPanel);
    }
}

void CellFrames::setCells(QList<QWidget*> cells) {
    cells_ = std::move(cells);
    update();
}

void CellFrames::setTip(QWidget* cell, const QString& tip) {
    tips_.insert(cell, tip);
    cell->installEventFilter(this);
}

void CellFrames::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(QPen(kFrame, 2));
    painter.setBrush(Qt::NoBrush);
    for (const QWidget* cell : cells_) {
        if (cell->isVisibleTo(parentWidget())) {
            const QRect r(cell->mapTo(parentWidget(), QPoint()), cell->size());
            painter.drawRect(QRectF(r).adjusted(1, 1, -1, -1));
        }
    }
}

bool CellFrames::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == parentWidget()) {
        setGeometry(parentWidget()->rect());
    }
    if (event->type() == QEvent::ToolTip && tips_.contains(watched)) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tips_.value(watched),
                           static_cast<QWidget*>(watched));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvel::app
