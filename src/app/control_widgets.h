#pragma once

#include "app/layout.h"
#include "core/control_store.h"

#include <QFont>
#include <QPixmap>
#include <QWidget>

namespace orvel::app {

[[nodiscard]] QFont fontOf(const FontStyle& style, const QFont& inherited);

// A widget of the Qt class that shows a control of this kind: QTabWidget, QGroupBox,
// QLabel (labels, panels, pictures), QLineEdit, QComboBox (editable), QPushButton,
// QProgressBar, QListWidget; a plain QWidget for a tab page.
[[nodiscard]] QWidget* createControlWidget(ControlKind kind, const ControlLayout& layout,
                                           QWidget* parent);

// Shows one property of a control's state in its widget. Tab pages and the
// window itself are handled by the window.
void showProperty(QWidget* widget, const ControlState& state, const ControlLayout& layout,
                  Prop prop);

// Shows every property of a control's state.
void showState(QWidget* widget, const ControlState& state, const ControlLayout& layout);

[[nodiscard]] QColor toQColor(Rgb rgb);

} // namespace orvel::app
