#pragma once

#include "app/plot_canvas.h"

#include <QChartView>
#include <QPoint>

#include <utility>
#include <vector>

class QGraphicsLineItem;
class QLabel;
class QLineSeries;
class QRubberBand;
class QCategoryAxis;
class QValueAxis;

namespace orvel::app {

// The plot drawn with Qt Charts: one line series per curve, each on a value axis
// of its own in the curve's colour. Mouse: wheel zooms, a left-dragged range
// zooms to it, a right drag pans, a double click shows everything.
class ChartCanvas : public QChartView, public PlotCanvas {
    Q_OBJECT
public:
    explicit ChartCanvas(QWidget* parent = nullptr);

    [[nodiscard]] QWidget* widget() override { return this; }
    void setCurves(const std::vector<CurveStyle>& curves) override;
    void setTimeRange(double from, double to) override;
    void setTimeTicks(const QString& title,
                      const std::vector<std::pair<double, QString>>& ticks) override;
    void setPoints(std::size_t curve, const QList<QPointF>& points, double low,
                   double high) override;
    void setCursor(std::optional<double> time, const QString& text,
                   const std::vector<double>& values) override;
    void setPlayhead(std::optional<double> time) override;
    void setMessage(const QString& text) override;
    [[nodiscard]] int plotWidth() const override;

    // The curve whose scale shows.
    [[nodiscard]] std::size_t shownScale() const { return shown_; }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Drag { None, Range, Pan };
    [[nodiscard]] QRectF area() const;
    [[nodiscard]] double timeAt(double x) const;
    [[nodiscard]] double xAt(double time) const;
    void placeLine(QGraphicsLineItem* line, std::optional<double> time);
    void placeReadout();
    void showScale(std::size_t curve);

    // A curve's runs between gaps, each a series on the curve's axis.
    QLineSeries* runOf(std::size_t curve, std::size_t run);

    QCategoryAxis* timeAxis_ = nullptr; // labels of our own: h:mm:ss
    std::vector<std::vector<QLineSeries*>> series_;
    std::vector<QPen> pens_;
    std::vector<int> decimals_;
    QList<QPointF> run_;
    std::vector<QValueAxis*> axes_;
    std::vector<std::pair<double, double>> ranges_; // asked of each axis, before rounding
    QGraphicsLineItem* cursorLine_ = nullptr;
    QGraphicsLineItem* playheadLine_ = nullptr;
    QLabel* readout_ = nullptr;
    QLabel* message_ = nullptr;
    QRubberBand* band_ = nullptr;
    std::optional<double> cursor_;
    std::optional<double> mouseY_;
    std::size_t shown_ = 0;
    std::optional<double> playhead_;
    double from_ = 0;
    double to_ = 1;
    Drag drag_ = Drag::None;
    QPoint dragStart_;
};

} // namespace orvel::app
