#include "app/chart_canvas.h"

#include <QCategoryAxis>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QRubberBand>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvel::app {

namespace {

// Points on the plot up to which curves are antialiased (four channels over the
// whole width: about 3 500).
constexpr qsizetype kSmoothPoints = 4'000;

constexpr int kDragThreshold = 4;
constexpr double kWheelStep = 0.8; // one notch shows 80 % of the range

QString numberFormat(int decimals) {
    return QStringLiteral("%.%1f").arg(decimals);
}

QFont smallFont(const QFont& base, int pixels) {
    QFont font = base;
    font.setPixelSize(pixels);
    return font;
}

} // namespace

ChartCanvas::ChartCanvas(QWidget* parent) : QChartView(parent) {
    auto* c = chart();
    c->legend()->hide();
    c->setAnimationOptions(QChart::NoAnimation);
    c->setBackgroundRoundness(0);
    c->setMargins(QMargins(2, 6, 2, 2));
    c->layout()->setContentsMargins(0, 0, 0, 0);
    c->setLocalizeNumbers(true);
    QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    c->setLocale(locale);
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    timeAxis_ = new QCategoryAxis(this);
    timeAxis_->setTitleText(QStringLiteral("Tempo (s)"));
    timeAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    c->addAxis(timeAxis_, Qt::AlignBottom);

    QPen cursorPen(QColor(40, 40, 40));
    cursorPen.setStyle(Qt::DashLine);
    cursorLine_ = scene()->addLine(QLineF(), cursorPen);
    cursorLine_->setZValue(20);
    cursorLine_->hide();
    playheadLine_ = scene()->addLine(QLineF(), QPen(QColor(220, 0, 0), 2));
    playheadLine_->setZValue(19);
    playheadLine_->hide();

    readout_ = new QLabel(viewport());
    readout_->setStyleSheet(QStringLiteral("QLabel { background: rgba(255, 255, 255, 225); "
                                           "border: 1px solid #909090; padding: 3px; }"));
    readout_->setAttribute(Qt::WA_TransparentForMouseEvents);
    readout_->hide();
    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    message_ = new QLabel(viewport());
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    message_->setStyleSheet(QStringLiteral("QLabel { color: #606060; background: white; }"));
    message_->hide();
}

void ChartCanvas::setMessage(const QString& text) {
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
    message_->setGeometry(viewport()->rect());
}

void ChartCanvas::setCurves(const std::vector<CurveStyle>& curves) {
    auto* c = chart();
    c->removeAllSeries();
    series_.clear();
    for (auto* axis : axes_) {
        c->removeAxis(axis);
        delete axis;
    }
    axes_.clear();
    ranges_.clear();
    pens_.clear();
    decimals_.clear();
    for (std::size_t i = 0; i < curves.size(); ++i) {
        const auto& style = curves[i];
        auto* series = new QLineSeries;
        series->setName(style.name);
        // A one-pixel cosmetic pen: the painter's fast path for dense lines.
        QPen pen(style.color, 1);
        pen.setCosmetic(true);
        series->setPen(pen);
        pens_.push_back(pen);
        decimals_.push_back(style.decimals);
        c->addSeries(series);
        auto* axis = new QValueAxis;
        axis->setLabelFormat(numberFormat(style.decimals));
        axis->setLabelsColor(style.color);
        axis->setLinePenColor(style.color);
        axis->setTitleText(style.unit.isEmpty()
                               ? style.name
                               : style.name + QStringLiteral(" (%1)").arg(style.unit));
        axis->setTitleBrush(style.color);
        axis->setTitleFont(smallFont(font(), 11));
        axis->setLabelsFont(smallFont(font(), 10));

        axis->setTickCount(6);
        c->addAxis(axis, Qt::AlignLeft);
        series->attachAxis(timeAxis_);
        series->attachAxis(axis);
        series_.push_back({series});
        axes_.push_back(axis);
        ranges_.emplace_back(0.0, 0.0);
    }
    shown_ = curves.size(); // none yet: showScale(0) below shows the first
    showScale(0);
    timeAxis_->setTitleFont(smallFont(font(), 11));
    timeAxis_->setLabelsFont(smallFont(font(), 10));
}

void ChartCanvas::setTimeRange(double from, double to) {
    from_ = from;
    to_ = to;
    timeAxis_->setRange(from, to);
    placeLine(cursorLine_, cursor_);
    placeLine(playheadLine_, playhead_);
}

void ChartCanvas::setTimeTicks(const QString& title,
                               const std::vector<std::pair<double, QString>>& ticks) {
    timeAxis_->setTitleText(title);
    for (const QString& label : timeAxis_->categoriesLabels()) {
        timeAxis_->remove(label);
    }
    // A category ends above its start: the start goes just below the first tick.
    timeAxis_->setStartValue(from_ - (to_ - from_) * 1e-6);
    for (const auto& [at, label] : ticks) {
        timeAxis_->append(label, at);
    }
}

void ChartCanvas::setPoints(std::size_t curve, const QList<QPointF>& points, double low,
                            double high) {
    if (curve >= series_.size()) {
        return;
    }
    // Qt Charts draws no gaps: each run between gap points is a series of its own.
    std::size_t runs = 0;
    for (qsizetype at = 0; at < points.size();) {
        qsizetype stop = at;
        while (stop < points.size() && !std::isnan(points[stop].y())) {
            ++stop;
        }
        if (stop > at) {
            run_ = points.mid(at, stop - at);
            runOf(curve, runs++)->replace(run_);
        }
        at = stop + 1;
    }
    for (std::size_t r = runs; r < series_[curve].size(); ++r) {
        series_[curve][r]->clear();
    }
    // Smoothing costs the painter about as much as everything else together: many
    // dense curves are drawn without it (their min/max strokes look the same), a
    // few curves or a close zoom with it.
    qsizetype total = 0;
    for (const auto& curveRuns : series_) {
        for (const auto* series : curveRuns) {
            total += series->count();
        }
    }
    setRenderHint(QPainter::Antialiasing, total <= kSmoothPoints);
    // Laying the axis out again costs more than the points: only when its range moves.
    auto& range = ranges_[curve];
    if (range.first != low || range.second != high) {
        range = {low, high};
        axes_[curve]->setRange(low, high);
        axes_[curve]->setTickCount(6);
        axes_[curve]->applyNiceNumbers(); // round steps: 0, 1000, 2000 rather than 706, 1670
        // No step finer than the column's decimals, or labels repeat (1, 1, 0, -1, -1).
        const double unit = std::pow(10.0, -decimals_[curve]);
        const double span = axes_[curve]->max() - axes_[curve]->min();
        if (span / (axes_[curve]->tickCount() - 1) < unit * (1 - 1e-9)) {
            axes_[curve]->setTickCount(std::max(2, static_cast<int>(span / unit + 1e-9) + 1));
        }
    }
}

QLineSeries* ChartCanvas::runOf(std::size_t curve, std::size_t run) {
    auto& runs = series_[curve];
    if (run < runs.size()) {
        return runs[run];
    }
    auto* series = new QLineSeries;
    series->setPen(pens_[curve]);
    chart()->addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(axes_[curve]);
    runs.push_back(series);
    return series;
}

void ChartCanvas::setCursor(std::optional<double> time, const QString& text,
                            const std::vector<double>& values) {
    cursor_ = time;
    placeLine(cursorLine_, time);
    readout_->setVisible(time.has_value() && !text.isEmpty());
    if (readout_->isVisible()) {
        readout_->setText(text);
        readout_->adjustSize();
        placeReadout();
    }
    if (!time || !mouseY_) {
        return;
    }
    // The scale of the curve passing nearest the mouse.
    const QRectF a = area();
    std::size_t nearest = shown_;
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < values.size() && i < axes_.size(); ++i) {
        const double span = axes_[i]->max() - axes_[i]->min();
        if (std::isnan(values[i]) || !(span > 0)) {
            continue;
        }
        const double y = a.bottom() - (values[i] - axes_[i]->min()) / span * a.height();
        if (std::abs(y - *mouseY_) < best) {
            best = std::abs(y - *mouseY_);
            nearest = i;
        }
    }
    showScale(nearest);
}

void ChartCanvas::showScale(std::size_t curve) {
    if (curve == shown_ || curve >= axes_.size()) {
        return;
    }
    shown_ = curve;
    for (std::size_t i = 0; i < axes_.size(); ++i) {
        axes_[i]->setVisible(i == curve);
        axes_[i]->setGridLineVisible(i == curve);
    }
}

void ChartCanvas::setPlayhead(std::optional<double> time) {
    playhead_ = time;
    placeLine(playheadLine_, time);
}

int ChartCanvas::plotWidth() const {
    return std::max(1, static_cast<int>(std::lround(area().width())));
}

QRectF ChartCanvas::area() const {
    return chart()->plotArea();
}

double ChartCanvas::timeAt(double x) const {
    const QRectF a = area();
    return from_ + (x - a.left()) / std::max(1.0, a.width()) * (to_ - from_);
}

double ChartCanvas::xAt(double time) const {
    const QRectF a = area();
    return a.left() + (time - from_) / (to_ - from_) * a.width();
}

void ChartCanvas::placeLine(QGraphicsLineItem* line, std::optional<double> time) {
    if (!time || *time < from_ || *time > to_) {
        line->hide();
        return;
    }
    const QRectF a = area();
    const double x = xAt(*time);
    line->setLine(x, a.top(), x, a.bottom());
    line->show();
}

void ChartCanvas::placeReadout() {
    if (!cursor_) {
        return;
    }
    const QRectF a = area();
    const int x = static_cast<int>(xAt(*cursor_));
    int left = x + 10;
    if (left + readout_->width() > static_cast<int>(a.right())) {
        left = x - 10 - readout_->width();
    }
    readout_->move(std::max(0, left), static_cast<int>(a.top()) + 6);
}

void ChartCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0 && onZoom) {
        onZoom(timeAt(event->position().x()), std::pow(kWheelStep, notches));
    }
    event->accept();
}

void ChartCanvas::mousePressEvent(QMouseEvent* event) {
    dragStart_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        drag_ = Drag::Range;
    } else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        drag_ = Drag::Pan;
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void ChartCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QRectF a = area();
    if (drag_ == Drag::Range) {
        const int left = std::max(std::min(at.x(), dragStart_.x()), static_cast<int>(a.left()));
        const int right = std::min(std::max(at.x(), dragStart_.x()), static_cast<int>(a.right()));
        band_->setGeometry(QRect(left, static_cast<int>(a.top()), std::max(0, right - left),
                                 static_cast<int>(a.height())));
        band_->setVisible(right - left > kDragThreshold);
    } else if (drag_ == Drag::Pan) {
        if (onPan) {
            onPan(-(at.x() - dragStart_.x()) / std::max(1.0, a.width()) * (to_ - from_));
        }
        dragStart_ = at;
    }
    mouseY_ = a.contains(at) ? std::optional<double>(at.y()) : std::nullopt;
    if (onHover) {
        onHover(mouseY_ ? std::optional(timeAt(at.x())) : std::nullopt);
    }
}

void ChartCanvas::mouseReleaseEvent(QMouseEvent* event) {
    const int x = static_cast<int>(event->position().x());
    if (drag_ == Drag::Range && std::abs(x - dragStart_.x()) > kDragThreshold && onRangeChosen) {
        const QRectF a = area();
        const double left = std::clamp<double>(std::min(x, dragStart_.x()), a.left(), a.right());
        const double right = std::clamp<double>(std::max(x, dragStart_.x()), a.left(), a.right());
        onRangeChosen(timeAt(left), timeAt(right));
    }
    band_->hide();
    drag_ = Drag::None;
    viewport()->unsetCursor();
    event->accept();
}

void ChartCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onShowAll) {
        onShowAll();
    }
    event->accept();
}

void ChartCanvas::leaveEvent(QEvent* event) {
    if (onHover && drag_ == Drag::None) {
        onHover(std::nullopt);
    }
    QChartView::leaveEvent(event);
}

void ChartCanvas::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    message_->setGeometry(viewport()->rect());
    placeLine(cursorLine_, cursor_);
    placeLine(playheadLine_, playhead_);
    if (onResized) {
        onResized();
    }
}

} // namespace orvel::app
