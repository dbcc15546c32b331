#include "app/heat_grid.h"

#include "app/control_widgets.h"

#include <QLinearGradient>
#include <QPainter>

namespace orvel::app {

namespace {

constexpr double kHeader = 46; // row captions on the left, column captions on top
constexpr double kLegend = 44; // colour scale along the bottom
constexpr double kMinCellW = 44;
constexpr double kMinCellH = 24;
const QColor kNoValue(170, 170, 170);

// The text of the first cell holding the value, so that the scale reads as the cells do.
QString textOf(const HeatGrid::Cells& cells, double value) {
    for (const auto& c : cells) {
        if (c.value == value) {
            return c.text.trimmed();
        }
    }
    return {};
}

} // namespace

HeatGrid::HeatGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("heatGrid"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    for (int c = 0; c < config::kMapColumns; ++c) {
        captions_[static_cast<std::size_t>(c)] = QString::number(c + 1);
    }
}

void HeatGrid::setCells(const Cells& cells) {
    cells_ = cells;
    mapview::Cells values;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        values[i] = cells[i].value;
    }
    range_ = mapview::rangeOf(values);
    lowText_ = range_ ? textOf(cells_, range_->low) : QString();
    highText_ = range_ ? textOf(cells_, range_->high) : QString();
    update();
}

void HeatGrid::setColumnCaptions(const Captions& captions) {
    if (captions != captions_) {
        captions_ = captions;
        update();
    }
}

QColor HeatGrid::cellColor(int cell) const {
    const auto& c = cells_.at(static_cast<std::size_t>(cell));
    if (!c.value || !range_) {
        return kNoValue;
    }
    return toQColor(mapview::heatColor(*c.value, *range_));
}

QSize HeatGrid::sizeHint() const {
    return {static_cast<int>(kHeader + 60 * config::kMapColumns),
            static_cast<int>(kHeader + 34 * config::kMapRows + kLegend)};
}

QSize HeatGrid::minimumSizeHint() const {
    return {static_cast<int>(kHeader + kMinCellW * config::kMapColumns),
            static_cast<int>(kHeader + kMinCellH * config::kMapRows + kLegend)};
}

QRectF HeatGrid::cellRect(int row, int column) const {
    const double w = (width() - kHeader) / config::kMapColumns;
    const double h = (height() - kHeader - kLegend) / config::kMapRows;
    return {kHeader + column * w, kHeader + row * h, w, h};
}

void HeatGrid::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setRenderHint(QPainter::Antialiasing, false);
    QFont font = painter.font();
    font.setPointSizeF(10);
    painter.setFont(font);

    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(0, 0, kHeader, kHeader), Qt::AlignCenter, QStringLiteral("RPM"));
    for (int c = 0; c < config::kMapColumns; ++c) {
        const QRectF r = cellRect(0, c);
        painter.drawText(QRectF(r.left(), 0, r.width(), kHeader), Qt::AlignCenter,
                         captions_[static_cast<std::size_t>(c)]);
    }
    for (int r = 0; r < config::kMapRows; ++r) {
        const QRectF cell = cellRect(r, 0);
        painter.drawText(QRectF(0, cell.top(), kHeader - 4, cell.height()),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(config::kRowRpm[static_cast<std::size_t>(r)]));
    }

    QFont bold = font;
    bold.setBold(true);
    for (int n = 0; n < config::kMapCells; ++n) {
        const auto& cell = cells_[static_cast<std::size_t>(n)];
        const QRectF r = cellRect(n / config::kMapColumns, n % config::kMapColumns);
        const QColor fill = cellColor(n);
        painter.fillRect(r, fill);
        painter.setPen(QColor(255, 255, 255, 160));
        painter.drawRect(r);
        const Rgb background{static_cast<std::uint8_t>(fill.red()),
                             static_cast<std::uint8_t>(fill.green()),
                             static_cast<std::uint8_t>(fill.blue())};
        painter.setPen(toQColor(mapview::textColorOn(background)));
        painter.setFont(cell.inUse ? bold : font);
        painter.drawText(r, Qt::AlignCenter, cell.text);
    }
    // The cell in use: a black and white frame reads on every colour of the scale.
    for (int n = 0; n < config::kMapCells; ++n) {
        if (!cells_[static_cast<std::size_t>(n)].inUse) {
            continue;
        }
        const QRectF r = cellRect(n / config::kMapColumns, n % config::kMapColumns);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 4));
        painter.drawRect(r.adjusted(2, 2, -2, -2));
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(r.adjusted(2, 2, -2, -2));
    }
    painter.setFont(font);
    paintLegend(painter, QRectF(kHeader, height() - kLegend + 10, width() - kHeader - 4, 14));
}

void HeatGrid::paintLegend(QPainter& painter, const QRectF& area) const {
    QLinearGradient gradient(area.topLeft(), area.topRight());
    for (const auto& stop : mapview::scaleStops()) {
        gradient.setColorAt(stop.at, toQColor(stop.color));
    }
    painter.fillRect(area, gradient);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRectF labels(area.left(), area.bottom() + 2, area.width(), 16);
    if (range_) {
        painter.drawText(labels, Qt::AlignLeft | Qt::AlignTop, lowText_);
        painter.drawText(labels, Qt::AlignRight | Qt::AlignTop, highText_);
    } else {
        painter.drawText(labels, Qt::AlignHCenter | Qt::AlignTop,
                         QStringLiteral("Nenhuma célula com valor"));
    }
}

} // namespace orvel::app
