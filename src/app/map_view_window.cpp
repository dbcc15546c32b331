#include "app/map_view_window.h"

#include "app/control_widgets.h"
#include "app/heat_grid.h"
#include "model/entry_rules.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QVBoxLayout>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>

#include <algorithm>

namespace orvel::app {

namespace {

bool isCellOf(mapview::Map map, const std::string& name) {
    const auto* p = config::findParameter(name);
    if (p == nullptr || name.size() < 2 || name[0] != 'e' || name[1] < '0' || name[1] > '9') {
        return false;
    }
    return (name.back() == 'i') == (map == mapview::Map::Injection);
}

// The window's labels above this map's columns.
const std::array<std::string_view, 8>& columnLabels(mapview::Map map) {
    return map == mapview::Map::Ignition ? kIgnitionColumnLabels : kInjectionColumnLabels;
}

} // namespace

std::optional<QString> reasonWithout3d() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return QStringLiteral("a plataforma gráfica \"%1\" não oferece OpenGL").arg(platform);
    }
    QOpenGLContext context;
    if (!context.create()) {
        return QStringLiteral("não foi possível criar um contexto OpenGL");
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) {
        return QStringLiteral("o contexto OpenGL não pôde ser ativado");
    }
    context.doneCurrent();
    return std::nullopt;
}

void fillSurface(QSurfaceDataProxy& proxy, const mapview::Cells& cells) {
    const auto range = mapview::rangeOf(cells);
    const auto floor = static_cast<float>(range ? range->low : 0);
    auto heightOf = [&](int r, int c) {
        const auto& cell = cells[static_cast<std::size_t>(r * config::kMapColumns + c)];
        return cell ? static_cast<float>(*cell) : floor;
    };
    // An edit changes a cell or a few: only those are handed over, so the graph
    // updates them in place rather than rebuilding the whole surface.
    if (proxy.rowCount() == config::kMapRows &&
        proxy.array()->at(0)->size() == config::kMapColumns) {
        for (int r = 0; r < config::kMapRows; ++r) {
            for (int c = 0; c < config::kMapColumns; ++c) {
                QSurfaceDataItem item = *proxy.itemAt(r, c);
                if (item.y() != heightOf(r, c)) {
                    item.setY(heightOf(r, c));
                    proxy.setItem(r, c, item);
                }
            }
        }
        return;
    }
    auto* rows = new QSurfaceDataArray;
    rows->reserve(config::kMapRows);
    for (int r = 0; r < config::kMapRows; ++r) {
        auto* row = new QSurfaceDataRow(config::kMapColumns);
        const auto rpm = static_cast<float>(config::kRowRpm[static_cast<std::size_t>(r)]);
        for (int c = 0; c < config::kMapColumns; ++c) {
            (*row)[c].setPosition(QVector3D(static_cast<float>(c + 1), heightOf(r, c), rpm));
        }
        rows->append(row);
    }
    proxy.resetArray(rows);
}

QString MapViewWindow::objectNameFor(mapview::Map map) {
    return map == mapview::Map::Ignition ? QStringLiteral("mapViewIgnition")
                                         : QStringLiteral("mapViewInjection");
}

MapViewWindow::MapViewWindow(ControlStore& store, const FormState& state, const Activity& activity,
                             mapview::Map map, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), state_(state), activity_(activity), map_(map) {
    setObjectName(objectNameFor(map));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title());

    auto* layout = new QHBoxLayout(this);
    grid_ = new HeatGrid(this);
    layout->addWidget(grid_, 1);

    auto* holder = new QWidget(this);
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    note_ = new QLabel(holder);
    note_->setObjectName(QStringLiteral("note3d"));
    note_->setWordWrap(true);
    column->addWidget(note_);
    layout->addWidget(holder, 1);
    if (const auto reason = reasonWithout3d()) {
        note_->setText(QStringLiteral("Visualização 3D indisponível: %1. O mapa é mostrado só "
                                      "em cores.")
                           .arg(*reason));
        holder->setMaximumWidth(220);
        column->addStretch(1);
    } else {
        build3d(holder);
    }

    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &MapViewWindow::refresh);
    observer_ = store_.addObserver(
        [this](const std::string& name, Prop prop) { storeChanged(name, prop); });
    refresh();
    resize(surface_ != nullptr ? 1040 : 760, 480);
}

MapViewWindow::~MapViewWindow() {
    store_.removeObserver(observer_);
}

QString MapViewWindow::title() const {
    if (map_ == mapview::Map::Ignition) {
        return QStringLiteral("Mapa de ignição (graus)");
    }
    return activity_.percent() ? QStringLiteral("Mapa de injeção (% de abertura)")
                               : QStringLiteral("Mapa de injeção (Ti mS)");
}

void MapViewWindow::build3d(QWidget* holder) {
    note_->setText(QStringLiteral("Gire com o botão direito do mouse; a roda aproxima."));
    surface_ = new Q3DSurface;
    auto* container = QWidget::createWindowContainer(surface_, holder);
    container->setObjectName(QStringLiteral("surface3d"));
    container->setMinimumSize(420, 360);
    container->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    static_cast<QVBoxLayout*>(holder->layout())->addWidget(container, 1);

    surface_->activeTheme()->setType(Q3DTheme::ThemeQt);
    surface_->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    surface_->setSelectionMode(QAbstract3DGraph::SelectionItem);
    surface_->scene()->activeCamera()->setCameraPreset(Q3DCamera::CameraPresetIsometricRightHigh);
    surface_->scene()->activeCamera()->setZoomLevel(95);
    // Columns and RPM span very different numbers; the map is shown square.
    surface_->setHorizontalAspectRatio(1.0);
    QFont font = surface_->activeTheme()->font();
    font.setPointSize(34);
    surface_->activeTheme()->setFont(font);
    surface_->axisX()->setTitle(QStringLiteral("Coluna"));
    surface_->axisX()->setRange(1, config::kMapColumns);
    surface_->axisX()->setSegmentCount(config::kMapColumns - 1);
    surface_->axisX()->setLabelFormat(QStringLiteral("%d"));
    surface_->axisZ()->setTitle(QStringLiteral("RPM"));
    // Rows lie 900 RPM apart from 900 on: a line every 900 RPM.
    surface_->axisZ()->setRange(0, static_cast<float>(config::kRowRpm.back()));
    surface_->axisZ()->setSegmentCount(8);
    surface_->axisZ()->setLabelFormat(QStringLiteral("%d"));
    surface_->axisY()->setLabelFormat(map_ == mapview::Map::Ignition ? QStringLiteral("%.0f")
                                                                     : QStringLiteral("%.1f"));
    QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    surface_->setLocale(locale);
    for (auto* axis : {surface_->axisX(), surface_->axisY(), surface_->axisZ()}) {
        axis->setTitleVisible(true);
    }

    series_ = new QSurface3DSeries;
    series_->setDrawMode(QSurface3DSeries::DrawSurfaceAndWireframe);
    series_->setFlatShadingEnabled(true);
    QLinearGradient gradient;
    for (const auto& stop : mapview::scaleStops()) {
        gradient.setColorAt(stop.at, toQColor(stop.color));
    }
    series_->setBaseGradient(gradient);
    series_->setColorStyle(Q3DTheme::ColorStyleRangeGradient);
    series_->setItemLabelFormat(QStringLiteral("@zLabel RPM, coluna @xLabel: @yLabel"));
    surface_->addSeries(series_);
}

void MapViewWindow::storeChanged(const std::string& name, Prop prop) {
    if ((prop == Prop::Text || prop == Prop::Color) && isCellOf(map_, name)) {
        pending_.start();
    }
    const auto& labels = columnLabels(map_);
    if (prop == Prop::Text && std::find(labels.begin(), labels.end(), name) != labels.end()) {
        pending_.start();
    }
}

std::optional<int> MapViewWindow::cellInUse() const {
    // The scanner (and a replay) keeps the engine's cell first among its marks.
    if (const auto& current = state_.highlightedCells[0];
        current && store_.get(mapview::cellKey(map_, *current)).color == colors::red) {
        return current;
    }
    for (int n = 0; n < config::kMapCells; ++n) {
        if (store_.get(mapview::cellKey(map_, n)).color == colors::red) {
            return n;
        }
    }
    return std::nullopt;
}

void MapViewWindow::refresh() {
    pending_.stop();
    setWindowTitle(title());
    const auto values = mapview::readCells(store_, map_);
    HeatGrid::Cells cells;
    for (int n = 0; n < config::kMapCells; ++n) {
        const auto i = static_cast<std::size_t>(n);
        const auto& state = store_.get(mapview::cellKey(map_, n));
        cells[i] = {QString::fromStdString(state.text), values[i], state.color == colors::red};
    }
    grid_->setCells(cells);
    HeatGrid::Captions captions;
    for (std::size_t c = 0; c < captions.size(); ++c) {
        captions[c] = QString::fromStdString(store_.caption(columnLabels(map_)[c])).trimmed();
    }
    grid_->setColumnCaptions(captions);
    if (series_ == nullptr) {
        return;
    }
    fillSurface(*series_->dataProxy(), values);
    // The colour scale spans the axis: the axis spans the map so both views agree.
    if (const auto range = mapview::rangeOf(values)) {
        const double pad = range->high > range->low ? 0.0 : 1.0;
        surface_->axisY()->setRange(static_cast<float>(range->low - pad),
                                    static_cast<float>(range->high + pad));
    }
    const auto inUse = cellInUse();
    series_->setSelectedPoint(
        inUse ? QPoint(*inUse / config::kMapColumns, *inUse % config::kMapColumns)
              : QSurface3DSeries::invalidSelectionPosition());
}

} // namespace orvel::app
