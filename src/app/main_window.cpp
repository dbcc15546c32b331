#include "app/main_window.h"

#include "app/cell_panel_style.h"
#include "app/control_widgets.h"
#include "app/drop_down_combo_box.h"
#include "app/guarded_list.h"
#include "app/jpeg_image.h"
#include "app/map_context_menu.h"
#include "app/module_page.h"
#include "app/port_list_tips.h"
#include "app/recordings_page.h"
#include "app/screen_fit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace orvel::app {

namespace {

constexpr char kPortList[] = "cbPorta";
// A window shrunk to a small screen can still be made smaller by hand, not to nothing.
constexpr QSize kSmallestWindow(320, 240);

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QPixmap loadLogo() {
    QFile file(QStringLiteral(":/logo.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QPixmap::fromImage(decodeJpeg(file.readAll()));
}

// Counts a stretch of code that changes widgets on the program's behalf.
class ProgrammaticChange {
public:
    explicit ProgrammaticChange(int& depth) : depth_(depth) { ++depth_; }
    ~ProgrammaticChange() { --depth_; }
    ProgrammaticChange(const ProgrammaticChange&) = delete;
    ProgrammaticChange& operator=(const ProgrammaticChange&) = delete;

private:
    int& depth_;
};

} // namespace

MainWindow::MainWindow(SerialLink& link, PortProber& prober, TimerFactory& timers, Dialogs& dialogs,
                       QWidget* parent)
    : QWidget(parent), form_(std::make_unique<Form>(link, prober, timers, dialogs)),
      logo_(loadLogo()) {
    // Every scanner session is recorded; tests point XDG_DATA_HOME elsewhere.
    form_->recorder.setFolder(recording::defaultFolder());
    form_->moduleHistory.setFolder(moduleHistoryFolder(recording::defaultFolder()));
    // The window's content at its own size, in a scroll area that shows scroll
    // bars only when a small screen makes the window smaller than it.
    canvas_ = new QWidget;
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus); // the Tab chain stays the controls'
    scroll_->setWidget(canvas_);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(scroll_);
    buildWidgets();
    setUpWindow();
    cellStyle_ = std::make_unique<CellPanelStyle>();
    for (int n = 0; n < config::kMapCells; ++n) {
        for (const auto& key : {config::ignitionKey(n), config::injectionKey(n)}) {
            control(qs(key))->setStyle(cellStyle_.get());
        }
    }
    addOwnPages();
    editing_ = std::make_unique<MapEditing>(*this);
    form_->controls.setObserver(
        [this](const std::string& name, Prop prop) { storeChanged(name, prop); });
    connect(qApp, &QApplication::focusChanged, this, &MainWindow::focusChanged);
    form_->create();
    if (auto* start = control(qs(std::string(LayoutTable::kStartPage)))) {
        const ProgrammaticChange change(programmaticChanges_);
        tabs_->setCurrentWidget(start);
    }
}

MainWindow::~MainWindow() {
    editing_.reset();
    form_->controls.setObserver(nullptr);
    disconnect(qApp, &QApplication::focusChanged, this, &MainWindow::focusChanged);
    // The widgets go while the form they report to still exists.
    const auto children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    qDeleteAll(children);
}

QWidget* MainWindow::control(const QString& name) const {
    return widgets_.value(name, nullptr);
}

QString MainWindow::controlNameOf(const QWidget* widget) const {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (auto it = names_.constFind(w); it != names_.constEnd()) {
            return *it;
        }
        if (w == this) {
            break;
        }
    }
    return {};
}

void MainWindow::showPage(QWidget* page) {
    if (const int index = tabs_->indexOf(page); index >= 0 && tabs_->isTabVisible(index)) {
        tabs_->setCurrentIndex(index);
    }
}

void MainWindow::connectUserInput(const std::string& name, QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, name](const QString& text) { userEditedText(name, text); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::editTextChanged, this,
                [this, name](const QString& text) { userEditedText(name, text); });
        connect(combo, &QComboBox::activated, this, [this, name] { form_->picked(name); });
        combo->installEventFilter(this);
        if (combo->lineEdit() != nullptr && form_->guardsTyping(name)) {
            combo->lineEdit()->setValidator(new GuardedListValidator(
                [this, name] { return qs(form_->controls.text(name)); },
                [this, name] { form_->keyPress(name); }, combo->lineEdit()));
        }
        if (auto* dropDown = qobject_cast<DropDownComboBox*>(combo)) {
            connect(dropDown, &DropDownComboBox::aboutToShowPopup, this,
                    [this, name] { form_->dropDown(name); });
            if (name == kPortList) {
                new PortListTips(dropDown, form_->prober);
            }
        }
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        connect(button, &QPushButton::clicked, this, [this, name] { form_->click(name); });
    }
}

void MainWindow::userEditedText(const std::string& name, const QString& text) {
    form_->typing(name);
    form_->controls.setText(name, text.toStdString());
    // The typing limit follows the text's new length (see showProperty).
    if (auto* edit = qobject_cast<QLineEdit*>(control(qs(name)))) {
        const QSignalBlocker blocker(edit);
        showProperty(edit, form_->controls.get(name), layoutOf(name), Prop::Text);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A guarded list answers a typed character with a warning; the character is
    // then dropped so the list keeps one of its items.
    auto guarded = [&] {
        const QString name = controlNameOf(qobject_cast<QWidget*>(watched));
        return !name.isEmpty() && form_->keyPress(name.toStdString());
    };
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool navigation = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (!navigation && !key->text().isEmpty() && guarded()) {
            return true;
        }
    } else if (event->type() == QEvent::InputMethod) {
        // Text composed through the input method (a dead key then a letter gives
        // "ã") arrives committed, never as a key press: it is typing all the same.
        const auto* input = static_cast<QInputMethodEvent*>(event);
        if (!input->commitString().isEmpty() && guarded()) {
            // The composition ends with nothing entered, so no half-typed accent stays.
            QInputMethodEvent nothing;
            QCoreApplication::sendEvent(watched, &nothing);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::storeChanged(const std::string& name, Prop prop) {
    QWidget* widget = control(qs(name));
    if (widget == nullptr) {
        return;
    }
    const ProgrammaticChange change(programmaticChanges_);
    const ControlState& state = form_->controls.get(name);
    if (prop == Prop::Focus) {
        focusControl(name);
        return;
    }
    if (state.kind == ControlKind::Form) {
        if (prop == Prop::Text) {
            setWindowTitle(qs(state.text));
        }
        return;
    }
    if (state.kind == ControlKind::TabSheet) {
        const int index = tabs_->indexOf(widget);
        if (prop == Prop::Text) {
            tabs_->setTabText(index, qs(state.text));
        } else if (prop == Prop::TabVisible) {
            if (!state.tabVisible && tabs_->currentIndex() == index) {
                // Hiding the page in view shows the window's other page, as it did
                // before "Registros" came after them.
                for (int i = 0; i < tabs_->count(); ++i) {
                    const QWidget* own = tabs_->widget(i);
                    if (i != index && own != recordings_ && own != module_ &&
                        tabs_->isTabVisible(i)) {
                        tabs_->setCurrentIndex(i);
                        break;
                    }
                }
            }
            tabs_->setTabVisible(index, state.tabVisible);
        } else if (prop == Prop::Enabled) {
            tabs_->setTabEnabled(index, state.enabled);
        }
        return;
    }
    showProperty(widget, state, layoutOf(name), prop);
}

QWidget* MainWindow::pageOf(QWidget* widget) const {
    for (QWidget* w = widget; w != nullptr && w != this; w = w->parentWidget()) {
        if (tabs_->indexOf(w) >= 0) {
            return w;
        }
    }
    return nullptr;
}

void MainWindow::focusControl(const std::string& name) {
    QWidget* widget = control(qs(name));
    if (QWidget* page = pageOf(widget)) {
        if (tabs_->isTabVisible(tabs_->indexOf(page))) {
            tabs_->setCurrentWidget(page);
        }
    }
    widget->setFocus(Qt::OtherFocusReason);
}

void MainWindow::focusChanged(QWidget* old, QWidget* now) {
    // Focus going to a message box, a list's drop-down or another program is not
    // leaving the field: the user comes back to it.
    if (now == nullptr || now->window() != this) {
        return;
    }
    const QString nowName = controlNameOf(now);
    if (!nowName.isEmpty()) {
        form_->controls.noteFocus(nowName.toStdString());
    }
    if (programmaticChanges_ > 0 || old == nullptr || old->window() != this) {
        return;
    }
    const QString oldName = controlNameOf(old);
    if (oldName.isEmpty() || oldName == nowName) {
        return;
    }
    form_->exit(oldName.toStdString());
}

void MainWindow::followScreen() {
    fitToScreen();
    if (QWindow* handle = windowHandle()) {
        connect(handle, &QWindow::screenChanged, this, [this] { fitToScreen(); });
    }
}

void MainWindow::fitToScreen() {
    const QScreen* shown = screen();
    if (shown == nullptr) {
        return;
    }
    QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull()) {
        // Not drawn yet: a title bar as the style knows it.
        frame = QMargins(1, style()->pixelMetric(QStyle::PM_TitleBarHeight), 1, 1);
    }
    fitInto(shown->availableGeometry(), frame);
}

void MainWindow::fitInto(const QRect& workArea, const QMargins& frame) {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const ScreenFit fit = fitOnScreen(canvas_->size(), workArea, frame, extent);
    if (fit.scrolls) {
        setMinimumSize(kSmallestWindow);
        setMaximumSize(canvas_->width() + extent, canvas_->height() + extent);
        resize(fit.client.size());
    } else {
        setFixedSize(canvas_->size());
    }
    move(fit.client.topLeft() - QPoint(frame.left(), frame.top()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    form_->close();
    event->accept();
}

} // namespace orvel::app
