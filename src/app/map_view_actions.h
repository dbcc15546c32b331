#pragma once

class QMenu;

namespace orvel::app {

class MainWindow;

enum class MapKind { Ignition, Injection };

// The map cells' context menu entries that open views of a map and the
// comparison with a file ("Visualizar mapa", "Comparar com arquivo...",
// "Fechar comparação"). The menu's owner calls this while building the menu.
void addViewEntries(QMenu& menu, MainWindow& window, MapKind map);

} // namespace orvel::app
