#include "app/control_widgets.h"

#include "app/drop_down_combo_box.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include <algorithm>

namespace orvel::app {

namespace {

constexpr int kUnlimited = 32767;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList qsList(const std::vector<std::string>& items) {
    QStringList list;
    for (const auto& item : items) {
        list << qs(item);
    }
    return list;
}

// A text set by a handler may be longer than the typing limit; it stays whole,
// and the user can only shorten it.
void showEditText(QLineEdit* edit, const ControlState& state) {
    const QString text = qs(state.text);
    const int limit = state.maxLength > 0 ? state.maxLength : kUnlimited;
    // Setting the limit lays the text out again, even an equal limit.
    if (const int wanted = std::max(limit, static_cast<int>(text.size()));
        edit->maxLength() != wanted) {
        edit->setMaxLength(wanted);
    }
    if (edit->text() != text) {
        edit->setText(text);
        edit->setCursorPosition(0);
    }
}

// Shrinks a display's font just enough for its whole text to show.
void fitFont(QLineEdit* edit, const FontStyle& style) {
    // The frame and the edit's own margins take this much of the width.
    constexpr int kFrameAndMargins = 10;
    constexpr int kSmallestPixels = 12;
    QFont font = fontOf(style, edit->font());
    const int room = edit->contentsRect().width() - kFrameAndMargins;
    while (font.pixelSize() > kSmallestPixels &&
           QFontMetrics(font).horizontalAdvance(edit->text()) > room) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    if (font != edit->font()) {
        edit->setFont(font);
    }
}

// A text longer than the box shows its start, as a field's does.
void showStart(QComboBox* combo) {
    if (QLineEdit* edit = combo->lineEdit()) {
        edit->setCursorPosition(0);
    }
}

void showComboText(QComboBox* combo, const ControlState& state) {
    const QString text = qs(state.text);
    if (combo->currentText() == text) {
        return;
    }
    const int index = combo->findText(text, Qt::MatchExactly);
    if (index >= 0) {
        combo->setCurrentIndex(index);
    }
    combo->setEditText(text);
    showStart(combo);
}

void showColors(QWidget* widget, const ControlState& state) {
    QPalette palette = widget->palette();
    const QColor text = toQColor(state.textColor);
    const QColor back = toQColor(state.color);
    auto enabledGroups = [&](QPalette::ColorRole role, const QColor& color) {
        palette.setColor(QPalette::Active, role, color);
        palette.setColor(QPalette::Inactive, role, color);
    };
    switch (state.kind) {
    case ControlKind::Edit:
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
        palette.setColor(QPalette::Base, back);
        enabledGroups(QPalette::Text, text);
        break;
    case ControlKind::Panel:
        palette.setColor(QPalette::Window, back);
        enabledGroups(QPalette::WindowText, text);
        break;
    case ControlKind::Label:
    case ControlKind::StaticText:
    case ControlKind::GroupBox:
        enabledGroups(QPalette::WindowText, text);
        break;
    case ControlKind::Button:
        enabledGroups(QPalette::ButtonText, text);
        break;
    default:
        return;
    }
    widget->setPalette(palette);
}

void showBar(QProgressBar* bar, const ControlState& state) {
    bar->setRange(std::min(state.min, state.max), std::max(state.min, state.max));
    bar->setValue(state.position);
}

} // namespace

QColor toQColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

QFont fontOf(const FontStyle& style, const QFont& inherited) {
    if (style.family == FontFamily::Inherit) {
        return inherited;
    }
    QFont font;
    // Metric-compatible faces first, then faces of about the same width, so that
    // captions fit the fixed geometry.
    if (style.family == FontFamily::Arial) {
        font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("Arimo"), QStringLiteral("Helvetica"),
                          QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    } else {
        font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                          QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    }
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(style.pixelSize);
    font.setBold(style.bold);
    return font;
}

QWidget* createControlWidget(ControlKind kind, const ControlLayout& layout, QWidget* parent) {
    QWidget* widget = nullptr;
    const Qt::FocusPolicy focus = layout.tabStop ? Qt::StrongFocus : Qt::ClickFocus;
    switch (kind) {
    case ControlKind::Form:
    case ControlKind::TabSheet:
        widget = new QWidget(parent);
        break;
    case ControlKind::PageControl:
        widget = new QTabWidget(parent);
        break;
    case ControlKind::GroupBox:
        widget = new QGroupBox(parent);
        break;
    case ControlKind::Panel: {
        auto* panel = new QLabel(parent);
        panel->setTextFormat(Qt::PlainText);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setAutoFillBackground(true);
        panel->setAlignment(layout.alignment);
        widget = panel;
        break;
    }
    case ControlKind::Label:
    case ControlKind::StaticText: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(layout.alignment);
        label->setWordWrap(layout.wordWrap);
        widget = label;
        break;
    }
    case ControlKind::Image: {
        auto* image = new QLabel(parent);
        image->setScaledContents(true);
        widget = image;
        break;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(parent);
        edit->setReadOnly(layout.readOnly);
        edit->setAlignment(layout.alignment);
        edit->setFocusPolicy(focus);
        widget = edit;
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = new DropDownComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setFocusPolicy(focus);
        widget = combo;
        break;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        button->setFocusPolicy(focus);
        widget = button;
        break;
    }
    case ControlKind::ProgressBar:
    case ControlKind::Gauge: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        bar->setOrientation(layout.vertical ? Qt::Vertical : Qt::Horizontal);
        widget = bar;
        break;
    }
    case ControlKind::ListBox:
        widget = new QListWidget(parent);
        // The scanner's log lies under the tab control where nobody sees it: a Tab
        // stop there would put the focus out of sight.
        widget->setFocusPolicy(Qt::NoFocus);
        break;
    }
    return widget;
}

void showProperty(QWidget* widget, const ControlState& state, const ControlLayout& layout,
                  Prop prop) {
    (void)layout;
    const QSignalBlocker blocker(widget);
    switch (prop) {
    case Prop::Text:
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            showEditText(edit, state);
            if (layout.fitText) {
                fitFont(edit, layout.font);
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            showComboText(combo, state);
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            button->setText(qs(state.text));
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            group->setTitle(qs(state.text));
        } else if (auto* label = qobject_cast<QLabel*>(widget);
                   label != nullptr && state.kind != ControlKind::Image) {
            label->setText(qs(state.text));
        }
        break;
    case Prop::Hint:
        widget->setToolTip(qs(state.hint));
        break;
    case Prop::Enabled:
        widget->setEnabled(state.enabled);
        break;
    case Prop::Visible:
        widget->setVisible(state.visible);
        break;
    case Prop::TextColor:
    case Prop::Color:
        showColors(widget, state);
        break;
    case Prop::Tag:
        widget->setProperty("tag", state.tag);
        break;
    case Prop::Items:
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->clear();
            combo->addItems(qsList(state.items));
            combo->setCurrentIndex(combo->findText(qs(state.text), Qt::MatchExactly));
            combo->setEditText(qs(state.text));
            showStart(combo);
        } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
            list->clear();
            list->addItems(qsList(state.items));
        }
        break;
    case Prop::Range:
    case Prop::Position:
        if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            showBar(bar, state);
        }
        break;
    case Prop::TabVisible:
    case Prop::Focus:
        break;
    }
}

void showState(QWidget* widget, const ControlState& state, const ControlLayout& layout) {
    for (Prop prop : {Prop::Items, Prop::Text, Prop::Hint, Prop::Enabled, Prop::Visible,
                      Prop::Color, Prop::Tag, Prop::Range}) {
        showProperty(widget, state, layout, prop);
    }
}

} // namespace orvel::app
