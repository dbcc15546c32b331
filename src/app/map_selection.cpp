#include "app/map_selection.h"

#include "app/main_window.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace orvel::app {

namespace {

constexpr int kMargin = 3;
const QColor kFrameColour(0, 160, 255);
// Light enough that yellow on black and the scanner's red stay what they are.
const QColor kTint(0, 160, 255, 45);

} // namespace

// Paints the selection over the map; lets every mouse event through to the cells.
class SelectionFrame : public QWidget {
public:
    explicit SelectionFrame(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }
    // The area to frame, in this widget's coordinates; empty for none.
    void setArea(const QRect& area) {
        if (area != area_) {
            area_ = area;
            update();
        }
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        if (area_.isEmpty()) {
            return;
        }
        QPainter painter(this);
        painter.fillRect(area_, kTint);
        painter.setPen(QPen(kFrameColour, 2));
        painter.drawRect(area_.adjusted(0, 0, -1, -1));
    }

private:
    QRect area_;
};

MapSelection::MapSelection(MainWindow& window, MapKind map) : window_(window), map_(map) {
    for (int n = 0; n < config::kMapCells; ++n) {
        const auto key =
            map == MapKind::Ignition ? config::ignitionKey(n) : config::injectionKey(n);
        auto* edit = qobject_cast<QLineEdit*>(window.control(QString::fromStdString(key)));
        cells_[static_cast<std::size_t>(n)] = edit;
        edit->installEventFilter(this);
    }
    QWidget* page = cells_.front()->parentWidget();
    frame_ = new SelectionFrame(page);
    const QRect map0 = cells_.front()->geometry().united(cells_.back()->geometry());
    frame_->setGeometry(map0.adjusted(-kMargin, -kMargin, kMargin, kMargin));
    frame_->show();
    frame_->raise();
    // The wait panel still covers the maps during a transfer.
    if (QWidget* wait = window.control(QStringLiteral("pnAguarde"));
        wait != nullptr && wait->parentWidget() == page) {
        wait->raise();
    }
}

MapSelection::~MapSelection() = default;

editing::CellRect MapSelection::rect() const {
    return editing::CellRect::spanning(anchor_, current_);
}

QLineEdit* MapSelection::cell(int n) const {
    return cells_[static_cast<std::size_t>(n)];
}

int MapSelection::indexOf(const QObject* cell) const {
    const auto it = std::find(cells_.begin(), cells_.end(), cell);
    return it == cells_.end() ? -1 : static_cast<int>(it - cells_.begin());
}

int MapSelection::cellAt(QPoint windowPos) const {
    for (int n = 0; n < config::kMapCells; ++n) {
        const QLineEdit* c = cell(n);
        if (c->rect().contains(c->mapFrom(&window_, windowPos))) {
            return n;
        }
    }
    return -1;
}

void MapSelection::select(int anchor, int current) {
    started_ = true;
    anchor_ = anchor;
    current_ = current;
    const auto r = rect();
    QRect area;
    if (r.cellCount() > 1) {
        const QRect first = cell(editing::cellAt(r.top, r.left))->geometry();
        const QRect last = cell(editing::cellAt(r.bottom, r.right))->geometry();
        area = first.united(last).translated(-frame_->pos()).adjusted(-2, -2, 2, 2);
    }
    frame_->setArea(area);
}

void MapSelection::collapse() {
    select(current_, current_);
}

void MapSelection::changed() {
    if (onChanged) {
        onChanged(*this);
    }
}

void MapSelection::extendBy(int rows, int columns) {
    const int row = std::clamp(current_ / config::kMapColumns + rows, 0, config::kMapRows - 1);
    const int column =
        std::clamp(current_ % config::kMapColumns + columns, 0, config::kMapColumns - 1);
    select(anchor_, editing::cellAt(row, column));
    changed();
}

bool MapSelection::eventFilter(QObject* watched, QEvent* event) {
    const int n = indexOf(watched);
    if (n < 0) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            dragging_ = true;
            const bool extend = (mouse->modifiers() & Qt::ShiftModifier) && started_;
            select(extend ? anchor_ : n, n);
            changed();
        } else if (mouse->button() == Qt::RightButton && !rect().contains(n)) {
            select(n, n);
            changed();
        }
        break;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (dragging_ && (mouse->buttons() & Qt::LeftButton)) {
            const int under = cellAt(cell(n)->mapTo(&window_, mouse->position().toPoint()));
            if (under >= 0 && under != current_) {
                select(anchor_, under);
                changed();
            }
            // Past its own cell the drag selects cells, not the text of the first one.
            if (under >= 0 && under != n) {
                return true;
            }
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        dragging_ = false;
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ShiftModifier)) {
            break;
        }
        const int rows = key->key() == Qt::Key_Up ? -1 : key->key() == Qt::Key_Down ? 1 : 0;
        const int columns = key->key() == Qt::Key_Left ? -1 : key->key() == Qt::Key_Right ? 1 : 0;
        if (rows != 0 || columns != 0) {
            extendBy(rows, columns);
            return true;
        }
        break;
    }
    case QEvent::FocusIn: {
        // Moving into a cell by keyboard starts a new selection there.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason &&
            reason != Qt::ActiveWindowFocusReason) {
            select(n, n);
            changed();
        }
        break;
    }
    case QEvent::ContextMenu:
        if (onMenu) {
            onMenu(*this, static_cast<QContextMenuEvent*>(event)->globalPos());
        }
        return true;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvel::app
