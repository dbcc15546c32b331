#include "app/map_view_actions.h"

namespace orvel::app {

void addViewEntries(QMenu& /*menu*/, MainWindow& /*window*/, MapKind /*map*/) {}

} // namespace orvel::app
