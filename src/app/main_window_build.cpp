#include "app/main_window.h"

#include "app/control_widgets.h"
#include "app/module_page.h"
#include "app/recordings_page.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>

#include <algorithm>
#include <stdexcept>

// Building the window: a widget for every control of the store, the window
// around them, and the pages the window adds of its own.
namespace orvel::app {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

const ControlLayout& MainWindow::layoutOf(const std::string& name) const {
    // A control the layout does not know yet still gets a widget, at the top left.
    const auto* l = layout_.find(name);
    return l != nullptr ? *l : unplaced_;
}

FontStyle MainWindow::fontFor(const std::string& name) const {
    for (std::string n = name; !n.empty(); n = form_->controls.get(n).parent) {
        if (const auto& l = layoutOf(n); l.font.family != FontFamily::Inherit) {
            return l.font;
        }
    }
    return {FontFamily::SansSerif, 11, false};
}

void MainWindow::buildWidgets() {
    for (const auto& name : form_->controls.names()) {
        ensureWidget(name);
    }
    // Stacking as the window's creation order has it: covered labels and the hidden
    // list lie underneath, the wait panels on top.
    for (auto it = widgets_.cbegin(); it != widgets_.cend(); ++it) {
        const auto& l = layoutOf(it.key().toStdString());
        if (l.stacking == Stacking::Bottom) {
            it.value()->lower();
        } else if (l.stacking == Stacking::Top) {
            it.value()->raise();
        }
    }
}

QWidget* MainWindow::ensureWidget(const std::string& name) {
    if (auto* existing = control(qs(name))) {
        return existing;
    }
    const ControlState& state = form_->controls.get(name);
    const ControlLayout& layout = layoutOf(name);
    QWidget* widget = nullptr;
    if (state.kind == ControlKind::Form) {
        widget = canvas_;
    } else {
        QWidget* parent = ensureWidget(state.parent);
        if (state.kind == ControlKind::TabSheet) {
            auto* tabs = qobject_cast<QTabWidget*>(parent);
            if (tabs == nullptr) {
                throw std::logic_error("tab page outside a tab control: " + name);
            }
            widget = createControlWidget(state.kind, layout, nullptr);
            // Pages take the window's colour; style sheets stop it from passing down.
            QPalette palette = widget->palette();
            palette.setColor(QPalette::Window, Qt::white);
            widget->setPalette(palette);
            widget->setAutoFillBackground(true);
            tabs->addTab(widget, qs(state.text));
        } else {
            widget = createControlWidget(state.kind, layout, parent);
            widget->setGeometry(layout.geometry);
            if (state.kind == ControlKind::PageControl) {
                tabs_ = qobject_cast<QTabWidget*>(widget);
            }
        }
    }
    // Every widget gets its font set: style sheets stop fonts from passing to children.
    widget->setFont(fontOf(fontFor(name), widget->font()));
    widget->setObjectName(qs(name));
    widgets_.insert(qs(name), widget);
    names_.insert(widget, qs(name));
    if (state.kind == ControlKind::Image) {
        static_cast<QLabel*>(widget)->setPixmap(logo_);
    }
    if (state.kind != ControlKind::Form && state.kind != ControlKind::TabSheet) {
        showState(widget, state, layout);
    }
    connectUserInput(name, widget);
    return widget;
}

void MainWindow::setUpWindow() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    for (QWidget* surface : {static_cast<QWidget*>(this), canvas_}) {
        surface->setPalette(palette);
        surface->setAutoFillBackground(true);
    }
    // Group captions sit on the frame line, so that the group's whole height is
    // inside the frame.
    setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid #a0a0a0; border-radius: 2px; margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 1px; }"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    canvas_->setFixedSize(LayoutTable::kClientWidth, LayoutTable::kClientHeight);
    setFixedSize(canvas_->size());
    // The menu's icon, at the sizes it is installed in.
    QIcon icon;
    for (const char* size : {"48", "128", "256"}) {
        icon.addFile(QStringLiteral(":/icon-%1.png").arg(QLatin1String(size)));
    }
    setWindowIcon(icon);
    for (const auto& name : form_->controls.names()) {
        if (form_->controls.get(name).kind == ControlKind::Form) {
            setWindowTitle(qs(form_->controls.text(name)));
        }
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void MainWindow::addOwnPages() {
    recordings_ = new RecordingsPage(*this);
    tabs_->addTab(recordings_, QStringLiteral("Registros"));
    module_ = new ModulePage(*this);
    tabs_->addTab(module_, QStringLiteral("Módulo"));
    const QRect shown = canvas_->rect();
    const QRect tabs = tabs_->geometry();
    const int right = std::max(0, tabs.right() - shown.right());
    const int bottom = std::max(0, tabs.bottom() - shown.bottom());
    recordings_->setHiddenEdges(right, bottom);
    module_->setHiddenEdges(right, bottom);
}

} // namespace orvel::app
