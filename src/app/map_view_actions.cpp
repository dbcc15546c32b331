#include "app/map_view_actions.h"

#include "app/comparison_panel.h"
#include "app/main_window.h"
#include "app/map_view_window.h"
#include "core/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>

namespace orvel::app {

namespace {

constexpr const char* kFilter = "Arquivos Compatíveis (.txt)|*.txt|Todos os arquivos|*.*";
constexpr const char* kLastFileProperty = "orvelLastComparedFile";

mapview::Map viewed(MapKind map) {
    return map == MapKind::Ignition ? mapview::Map::Ignition : mapview::Map::Injection;
}

void showMap(MainWindow& window, MapKind map) {
    const QString name = MapViewWindow::objectNameFor(viewed(map));
    auto* view = window.findChild<MapViewWindow*>(name, Qt::FindDirectChildrenOnly);
    if (view == nullptr) {
        view = new MapViewWindow(window.form().controls, window.form().state,
                                 window.form().activity, viewed(map), &window);
    }
    view->show();
    view->raise();
    view->activateWindow();
}

// The file's bytes, refused as the loader refuses them: a missing or unreadable
// file, or one too large to be a map file.
std::string readMapFile(const std::string& name) {
    QFile file(QString::fromStdString(name));
    const QFileInfo info(file);
    if (!info.exists()) {
        throw FileError("File not found");
    }
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        throw FileError("File access denied");
    }
    constexpr auto limit = static_cast<qint64>(mapfile::kMaxFileBytes);
    const QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit) {
        throw FileError("Arquivo grande demais para ser um arquivo de mapa (mais de 1 MiB)");
    }
    if (file.error() != QFileDevice::NoError) {
        throw FileError(file.errorString().toStdString());
    }
    return bytes.toStdString();
}

bool refusedInPercent(Form& form) {
    if (form.activity.percent()) {
        form.dialogs.message("O mapa de injeção está em %. Volte para mS antes de comparar "
                             "com um arquivo.");
        return true;
    }
    return false;
}

void compareWith(MainWindow& window, const std::string& name) {
    auto values = compare::valuesFromSlots(mapfile::decodeSlots(readMapFile(name)));
    // One comparison at a time: a new file replaces the one compared before.
    delete ComparisonPanel::of(window);
    auto* panel = new ComparisonPanel(window, QString::fromStdString(name), std::move(values));
    panel->show();
}

void compareWithFile(MainWindow& window) {
    Form& form = window.form();
    form.dispatch([&] {
        if (refusedInPercent(form)) {
            return;
        }
        const std::string last = window.property(kLastFileProperty).toString().toStdString();
        const auto name = form.dialogs.openFileName(
            FileDialogOptions{"odComparar", kFilter, "*.txt", mapfile::initialFolder(), last});
        if (!name) {
            return;
        }
        window.setProperty(kLastFileProperty, QString::fromStdString(*name));
        compareWith(window, *name);
    });
}

} // namespace

void openComparison(MainWindow& window, const std::string& fileName) {
    Form& form = window.form();
    form.dispatch([&] {
        if (!refusedInPercent(form)) {
            compareWith(window, fileName);
        }
    });
}

void addViewEntries(QMenu& menu, MainWindow& window, MapKind map) {
    QAction* view = menu.addAction(QStringLiteral("Visualizar mapa"));
    view->setObjectName(QStringLiteral("actionViewMap"));
    QObject::connect(view, &QAction::triggered, &window, [&window, map] { showMap(window, map); });

    QAction* compareAction = menu.addAction(QStringLiteral("Comparar com arquivo..."));
    compareAction->setObjectName(QStringLiteral("actionCompareFile"));
    QObject::connect(compareAction, &QAction::triggered, &window,
                     [&window] { compareWithFile(window); });

    QAction* close = menu.addAction(QStringLiteral("Fechar comparação"));
    close->setObjectName(QStringLiteral("actionCloseComparison"));
    close->setEnabled(ComparisonPanel::of(window) != nullptr);
    QObject::connect(close, &QAction::triggered, &window, [&window] {
        if (auto* panel = ComparisonPanel::of(window)) {
            panel->close();
        }
    });
}

} // namespace orvel::app
