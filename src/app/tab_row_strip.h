#pragma once

#include <QString>

class QFrame;
class QHBoxLayout;

// The small strips that float over the window in the free end of the tab row.
namespace orvel::app {

inline constexpr int kStripHeight = 23;                     // inside the tab row
inline constexpr int kStripButtonHeight = kStripHeight - 4; // within the strip's border

// Names the strip and frames it in its colours ("#e3f0ff").
void frameStrip(QFrame& strip, const QString& name, const QString& background,
                const QString& border);
// The strip's row of widgets.
[[nodiscard]] QHBoxLayout* stripRow(QFrame& strip);
// Fits the strip to what it shows, at the right end of the tab row, over the rest.
void placeStrip(QFrame& strip);

} // namespace orvel::app
