#pragma once

#include <QString>

class QStyle;

namespace orvel::app {

// On Windows, the native style with the line-edit frames it loses at
// fractional scales (125 %, 150 %) kept whole; elsewhere nothing changes.
// Called once, after the application object and before any window.
void installSystemStyle();

// The style installSystemStyle puts in place, over the style `base` names (the
// system's own when empty); null where there is nothing to put in place.
[[nodiscard]] QStyle* createSystemStyle(const QString& base = {});

} // namespace orvel::app
