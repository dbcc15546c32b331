#include "app/map_view_window.h"

#include "app/control_widgets.h"
#include "app/heat_grid.h"
#include "app/map_surface.h"
#include "model/entry_rules.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

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
        note_->setText(QStringLiteral("Gire com o botão direito do mouse; a roda aproxima."));
        surface_ = makeMapSurface(map_, *column);
    }

    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &MapViewWindow::refresh);
    observer_ = store_.addObserver(
        [this](const std::string& name, Prop prop) { storeChanged(name, prop); });
    refresh();
    resize(surface_ != nullptr ? 1040 : 760, 480);
}

Q3DSurface* MapViewWindow::surface() const {
    return surface_ != nullptr ? surface_->graph() : nullptr;
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
    if (surface_ == nullptr) {
        return;
    }
    surface_->show(values, cellInUse());
}

} // namespace orvel::app
