#include "app/map_surface.h"

namespace orvel::app {

// The toolkit this program was built with has no 3D module (the Windows one is
// built without OpenGL).
std::optional<QString> reasonWithout3d() {
    return QStringLiteral("esta versão do programa foi feita sem a visualização 3D");
}

std::unique_ptr<MapSurface> makeMapSurface(mapview::Map map, QVBoxLayout& column) {
    (void)map;
    (void)column;
    return nullptr;
}

} // namespace orvel::app
