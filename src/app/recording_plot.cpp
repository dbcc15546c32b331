#include "app/recording_plot.h"

#include "recording/columns.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace orvel::app {

namespace {

using recording::kValueColumns;

constexpr double kShortestSpan = 0.1; // seconds: a few sets at the highest rate

// One colour per column, far enough apart for the channels chosen together.
constexpr std::array<QRgb, kValueColumns.size()> kColours{
    0xd62728, 0x1f77b4, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b, 0xe377c2,
    0x17becf, 0x7f7f7f, 0xbcbd22, 0x393b79, 0x637939, 0x8c6d31, 0x843c39,
    0x7b4173, 0x3182bd, 0xe6550d, 0x31a354, 0x756bb1, 0x636363, 0x9c9ede};

// A channel read in place from the recording: the plot keeps no copy.
struct ColumnSamples {
    const std::vector<std::int32_t>& ms;
    recording::Recording::ColumnView column;
    [[nodiscard]] std::size_t size() const { return ms.size(); }
    [[nodiscard]] double time(std::size_t i) const { return ms[i] / 1000.0; }
    [[nodiscard]] bool known(std::size_t i) const { return column.known(i); }
    [[nodiscard]] double value(std::size_t i) const { return column.value(i); }
};

} // namespace

QString decimalText(double value, int decimals) {
    QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QString durationText(double seconds) {
    const auto total = static_cast<long long>(std::floor(std::max(0.0, seconds)));
    const long long h = total / 3600;
    const long long m = total / 60 % 60;
    const long long s = total % 60;
    const auto two = [](long long n) {
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    };
    return h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(two(m), two(s))
                 : QStringLiteral("%1:%2").arg(m).arg(two(s));
}

TimeTicks timeTicks(double from, double to, double end, int most) {
    TimeTicks out;
    const double span = to - from;
    if (!(span > 0) || most < 1) {
        return out;
    }
    // 1, 2, 5 times a power of ten below a minute, then steps a clock reads well.
    static constexpr std::array<double, 15> kClockSteps{
        10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 5400, 7200, 10800, 14400, 21600};
    const double rough = span / most;
    double step = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (span / (step * m) <= most) {
            step *= m;
            break;
        }
    }
    if (step > 10) {
        const auto at = std::find_if(kClockSteps.begin(), kClockSteps.end(),
                                     [&](double s) { return span / s <= most; });
        step = at != kClockSteps.end() ? *at : std::ceil(rough / 21600) * 21600;
    }
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    const bool clock = end >= 600;
    out.title = !clock        ? QStringLiteral("Tempo (s)")
                : end >= 3600 ? QStringLiteral("Tempo (h:mm:ss)")
                              : QStringLiteral("Tempo (m:ss)");
    const double first = std::ceil(from / step - 1e-9);
    for (double k = first; k * step <= to + step * 1e-9; ++k) {
        const double t = k * step;
        QString label = decimalText(t, decimals);
        if (clock) {
            const double whole = std::floor(t + 1e-9);
            label = durationText(whole);
            if (end >= 3600 && whole < 3600) {
                label = QStringLiteral("0:") + label.rightJustified(5, QLatin1Char('0'));
            }
            if (decimals > 0) {
                label += decimalText(t - whole, decimals).mid(1); // ",5"
            }
        }
        out.ticks.emplace_back(t, label);
    }
    return out;
}

CurveStyle RecordingPlot::styleOf(int column) {
    const auto& c = kValueColumns[static_cast<std::size_t>(column)];
    const QString full = QString::fromUtf8(c.name.data(), static_cast<qsizetype>(c.name.size()));
    CurveStyle style{full, QString(), QColor(kColours[static_cast<std::size_t>(column)]),
                     c.decimals};
    // "Ti (ms)": the name and its unit.
    if (const auto open = full.indexOf(QStringLiteral(" (")); open > 0 && full.endsWith(')')) {
        style.name = full.left(open);
        style.unit = full.mid(open + 2, full.size() - open - 3);
    }
    return style;
}

RecordingPlot::RecordingPlot(PlotCanvas& canvas) : canvas_(canvas) {
    timer_.setSingleShot(true);
    timer_.setInterval(kRedrawMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { redraw(); });
    canvas_.onZoom = [this](double at, double factor) { zoom(at, factor); };
    canvas_.onRangeChosen = [this](double from, double to) { setRange(from, to); };
    canvas_.onPan = [this](double shift) { pan(shift); };
    canvas_.onShowAll = [this] { showAll(); };
    canvas_.onResized = [this] { schedule(); };
    // The cursor moves over the curves without redrawing them.
    canvas_.onHover = [this](std::optional<double> time) {
        cursor_ = time;
        showCursor();
    };
}

RecordingPlot::~RecordingPlot() {
    canvas_.onZoom = nullptr;
    canvas_.onRangeChosen = nullptr;
    canvas_.onPan = nullptr;
    canvas_.onShowAll = nullptr;
    canvas_.onResized = nullptr;
    canvas_.onHover = nullptr;
}

void RecordingPlot::setRecording(std::shared_ptr<const recording::Recording> recording) {
    recording_ = std::move(recording);
    cursor_.reset();
    applyCurves();
    showAll();
}

void RecordingPlot::setChannels(std::vector<int> columns) {
    channels_ = std::move(columns);
    applyCurves();
    schedule();
}

void RecordingPlot::applyCurves() {
    std::vector<CurveStyle> styles;
    if (recording_) {
        for (int c : channels_) {
            styles.push_back(styleOf(c));
        }
    }
    canvas_.setCurves(styles);
    canvas_.setMessage(
        !recording_ ? QStringLiteral("Abra um registro da lista (duplo clique ou Enter) ou com "
                                     "\"Abrir arquivo...\" para ver seus canais.")
        : recording_->rows() == 0
            ? QStringLiteral("O registro não tem linhas: a sessão terminou antes que o scanner "
                             "recebesse o primeiro conjunto de valores.")
        : channels_.empty() ? QStringLiteral("Marque em \"Canais\" o que deseja ver.")
                            : QString());
}

double RecordingPlot::start() const {
    return 0;
}

double RecordingPlot::end() const {
    return !recording_ || recording_->rows() == 0
               ? 1.0
               : std::max(recording_->time(recording_->rows() - 1), kShortestSpan);
}

void RecordingPlot::showAll() {
    setRange(start(), end());
}

void RecordingPlot::setRange(double from, double to) {
    const double whole = end() - start();
    double span = std::clamp(to - from, std::min(kShortestSpan, whole), whole);
    from = std::clamp((from + to - span) / 2, start(), end() - span);
    from_ = from;
    to_ = from + span;
    canvas_.setTimeRange(from_, to_);
    const TimeTicks ticks = timeTicks(from_, to_, end());
    canvas_.setTimeTicks(ticks.title, ticks.ticks);
    schedule();
}

void RecordingPlot::zoom(double at, double factor) {
    const double span = to_ - from_;
    const double share = span > 0 ? (at - from_) / span : 0.5;
    const double next = span * factor;
    const double from = at - share * next;
    // Centred on its middle, setRange keeps `at` where it was unless an edge stops it.
    setRange(from, from + next);
}

void RecordingPlot::pan(double shift) {
    setRange(from_ + shift, to_ + shift);
}

void RecordingPlot::setPlayhead(std::optional<double> time) {
    canvas_.setPlayhead(time);
}

void RecordingPlot::schedule() {
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void RecordingPlot::redraw() {
    timer_.stop();
    if (!recording_) {
        showCursor();
        return;
    }
    const int width = canvas_.plotWidth();
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        const ColumnSamples samples{recording_->timesMs(), recording_->column(channels_[i])};
        recording::decimateMinMax(samples, from_, to_, width, decimated_);
        points_.resize(static_cast<qsizetype>(decimated_.size()));
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        for (std::size_t p = 0; p < decimated_.size(); ++p) {
            const auto& d = decimated_[p];
            points_[static_cast<qsizetype>(p)] = QPointF(d.x, d.y);
            if (!d.gap()) {
                low = std::min(low, d.y);
                high = std::max(high, d.y);
            }
        }
        if (low > high) { // nothing known in view
            low = high = 0;
        }
        // A flat line sits in the middle; others fill the height (the canvas rounds the scale).
        const double margin = high > low ? 0 : std::max(1.0, std::abs(high) * 0.1);
        canvas_.setPoints(i, points_, low - margin, high + margin);
    }
    showCursor();
}

std::size_t RecordingPlot::rowNear(double time) const {
    std::size_t row = std::min(recording_->rowAt(time), recording_->rows() - 1);
    if (row > 0 && time - recording_->time(row - 1) <= recording_->time(row) - time) {
        --row;
    }
    return row;
}

void RecordingPlot::showCursor() {
    std::vector<double> values;
    if (!cursor_ || !recording_ || recording_->rows() == 0) {
        canvas_.setCursor(std::nullopt, QString(), values);
        return;
    }
    const std::size_t row = rowNear(*cursor_);
    for (int c : channels_) {
        values.push_back(recording_->value(c, row));
    }
    canvas_.setCursor(cursor_, valuesAt(*cursor_), values);
}

QString RecordingPlot::valuesAt(double time) const {
    if (!recording_ || recording_->rows() == 0) {
        return {};
    }
    const std::size_t row = rowNear(time);
    const double at = recording_->time(row);
    const double whole = std::floor(at);
    QString text = end() >= 600 // as the time axis reads it
                       ? QStringLiteral("<b>%1%2</b>")
                             .arg(durationText(whole), decimalText(at - whole, 3).mid(1))
                       : QStringLiteral("<b>%1 s</b>").arg(decimalText(at, 3));
    for (int c : channels_) {
        const CurveStyle style = styleOf(c);
        const bool known = recording_->known(c, row);
        text += QStringLiteral("<br><span style=\"color:%1\">&#9632;</span> %2: <b>%3</b> %4")
                    .arg(style.color.name(), style.name.toHtmlEscaped(),
                         known ? decimalText(recording_->value(c, row), style.decimals)
                               : QStringLiteral("sem valor"),
                         known ? style.unit.toHtmlEscaped() : QString());
    }
    return text;
}

} // namespace orvel::app
