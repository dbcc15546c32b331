#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

namespace orvel::app {

struct CurveStyle {
    QString name;
    QString unit;
    QColor color;
    int decimals = 0;
};

// What draws a plot of curves against time, each curve on its own value scale,
// one scale shown at a time: the first curve's, or the one nearest the cursor.
// The plot's logic (ranges, decimation, cursor values) stays out of it, so the
// drawing library can change (Qt Charts is deprecated from Qt 6.10 on).
class PlotCanvas {
public:
    virtual ~PlotCanvas() = default;
    [[nodiscard]] virtual QWidget* widget() = 0;

    // The curves drawn, replacing the previous ones; then their points come.
    virtual void setCurves(const std::vector<CurveStyle>& curves) = 0;
    virtual void setTimeRange(double from, double to) = 0;
    // The time axis' title and labelled ticks for that range.
    virtual void setTimeTicks(const QString& title,
                              const std::vector<std::pair<double, QString>>& ticks) = 0;
    // One curve's points (time ascending) and the value range its scale shows.
    virtual void setPoints(std::size_t curve, const QList<QPointF>& points, double low,
                           double high) = 0;
    // The cursor line, the text it shows and each curve's value there (NaN where
    // unknown), or none. The curve nearest the mouse there shows its scale.
    virtual void setCursor(std::optional<double> time, const QString& text,
                           const std::vector<double>& values) = 0;
    // Where a replay is, or none.
    virtual void setPlayhead(std::optional<double> time) = 0;
    // A text in place of the plot (nothing to draw yet), or empty.
    virtual void setMessage(const QString& text) = 0;
    // Pixel columns of the plot area: the resolution worth drawing.
    [[nodiscard]] virtual int plotWidth() const = 0;

    // The user's mouse, in the time axis' units.
    std::function<void(double time, double factor)> onZoom; // factor < 1 zooms in
    std::function<void(double from, double to)> onRangeChosen;
    std::function<void(double shift)> onPan;
    std::function<void(std::optional<double> time)> onHover;
    std::function<void()> onShowAll;
    std::function<void()> onResized; // the plot area changed size
};

} // namespace orvel::app
