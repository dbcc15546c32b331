#pragma once

#include "app/plot_canvas.h"
#include "recording/decimate.h"
#include "recording/recording.h"

#include <QList>
#include <QPointF>
#include <QTimer>

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvel::app {

// A recording's chosen channels against time on a canvas: the visible range,
// zoom and pan, the cursor's values. The samples stay in the recording alone
// (a ten-hour recording costs no more with every channel ticked). Each redraw
// decimates what is visible to
// the canvas' pixel columns; redraws run on a timer, at most one per frame,
// however many events ask for one.
class RecordingPlot {
public:
    explicit RecordingPlot(PlotCanvas& canvas);
    ~RecordingPlot();
    RecordingPlot(const RecordingPlot&) = delete;
    RecordingPlot& operator=(const RecordingPlot&) = delete;

    // Shows the whole recording.
    void setRecording(std::shared_ptr<const recording::Recording> recording);
    // Value columns (recording::col), drawn in this order.
    void setChannels(std::vector<int> columns);
    [[nodiscard]] const std::vector<int>& channels() const { return channels_; }
    void showAll();
    void setRange(double from, double to);
    void zoom(double at, double factor);
    void pan(double shift);
    void setPlayhead(std::optional<double> time);
    [[nodiscard]] double from() const { return from_; }
    [[nodiscard]] double to() const { return to_; }

    // Draws now what a pending redraw would draw.
    void redraw();
    // The cursor's text at a time: every chosen channel's nearest sample.
    [[nodiscard]] QString valuesAt(double time) const;

    [[nodiscard]] static CurveStyle styleOf(int column);
    static constexpr int kRedrawMs = 30;

private:
    void schedule();
    void applyCurves();
    void showCursor();
    [[nodiscard]] std::size_t rowNear(double time) const;
    [[nodiscard]] double start() const;
    [[nodiscard]] double end() const;

    PlotCanvas& canvas_;
    std::shared_ptr<const recording::Recording> recording_;
    std::vector<int> channels_;
    double from_ = 0;
    double to_ = 1;
    std::optional<double> cursor_;
    QTimer timer_;
    std::vector<recording::PlotPoint> decimated_;
    QList<QPointF> points_;
};

// Numbers as the window writes them: decimal comma, no thousands separator.
[[nodiscard]] QString decimalText(double value, int decimals);
// 75 -> "1:15", 3725 -> "1:02:05".
[[nodiscard]] QString durationText(double seconds);

// The time axis: at most `most` ticks on round steps, in seconds for short
// recordings and as m:ss or h:mm:ss for long ones (`end` is the recording's).
struct TimeTicks {
    QString title;
    std::vector<std::pair<double, QString>> ticks; // time, label
};
[[nodiscard]] TimeTicks timeTicks(double from, double to, double end, int most = 8);

} // namespace orvel::app
