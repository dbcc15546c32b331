#pragma once

#include <string>

class QMenu;

namespace orvel::app {

class MainWindow;

enum class MapKind { Ignition, Injection };

// The map cells' context menu entries that open views of a map and the
// comparison with a file ("Visualizar mapa", "Comparar com arquivo...",
// "Fechar comparação"). The menu's owner calls this while building the menu.
void addViewEntries(QMenu& menu, MainWindow& window, MapKind map);

// The comparison with a file the user did not pick in a dialog (a kept copy).
void openComparison(MainWindow& window, const std::string& fileName);

} // namespace orvel::app
