#include "app/map_surface_3d.h"
#include "app/map_surface.h"

#include "app/control_widgets.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QLocale>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QVBoxLayout>
#include <QWidget>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>

namespace orvel::app {

namespace {

class Surface3d : public MapSurface {
public:
    Surface3d(mapview::Map map, QVBoxLayout& column);
    void show(const mapview::Cells& cells, std::optional<int> inUse) override;
    [[nodiscard]] Q3DSurface* graph() const override { return surface_; }

private:
    Q3DSurface* surface_ = nullptr; // owned by its window container
    QSurface3DSeries* series_ = nullptr;
};

Surface3d::Surface3d(mapview::Map map, QVBoxLayout& column) {
    surface_ = new Q3DSurface;
    auto* container = QWidget::createWindowContainer(surface_, column.parentWidget());
    container->setObjectName(QStringLiteral("surface3d"));
    container->setMinimumSize(420, 360);
    container->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    column.addWidget(container, 1);

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
    surface_->axisY()->setLabelFormat(map == mapview::Map::Ignition ? QStringLiteral("%.0f")
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

void Surface3d::show(const mapview::Cells& cells, std::optional<int> inUse) {
    fillSurface(*series_->dataProxy(), cells);
    // The colour scale spans the axis: the axis spans the map so both views agree.
    if (const auto range = mapview::rangeOf(cells)) {
        const double pad = range->high > range->low ? 0.0 : 1.0;
        surface_->axisY()->setRange(static_cast<float>(range->low - pad),
                                    static_cast<float>(range->high + pad));
    }
    series_->setSelectedPoint(
        inUse ? QPoint(*inUse / config::kMapColumns, *inUse % config::kMapColumns)
              : QSurface3DSeries::invalidSelectionPosition());
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

std::unique_ptr<MapSurface> makeMapSurface(mapview::Map map, QVBoxLayout& column) {
    return std::make_unique<Surface3d>(map, column);
}

} // namespace orvel::app
