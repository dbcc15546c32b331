#include "app/map_context_menu.h"

#include "app/main_window.h"
#include "form/map_edits.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace orvel::app {

namespace {

bool isUndoKey(const QKeyEvent* key) {
    return key->matches(QKeySequence::Undo);
}

bool isRedoKey(const QKeyEvent* key) {
    const auto combo = key->keyCombination();
    return key->matches(QKeySequence::Redo) ||
           combo == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
           combo == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

std::optional<QString> askWithDialog(QWidget* parent, const QString& title, const QString& prompt) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

QString stepText(const QString& action, const QString& step) {
    return step.isEmpty() ? action : action + QLatin1Char(' ') + step;
}

// A box's warning as a tool tip: without its blanks and its "Atenção ! !".
QString reasonText(const std::string& warning) {
    QString text = QString::fromStdString(warning).trimmed();
    const QString attention = QStringLiteral("Atenção ! !");
    if (text.startsWith(attention)) {
        text = text.mid(attention.size()).trimmed();
    }
    return text;
}

} // namespace

MapEditing::MapEditing(MainWindow& window)
    : window_(window), ignition_(std::make_unique<MapSelection>(window, MapKind::Ignition)),
      injection_(std::make_unique<MapSelection>(window, MapKind::Injection)) {
    askNumber = [this](const QString& title, const QString& prompt) {
        return askWithDialog(&window_, title, prompt);
    };
    for (MapSelection* s : {ignition_.get(), injection_.get()}) {
        s->onMenu = [this](MapSelection& sel, QPoint pos) { showMenu(sel, pos); };
        s->onChanged = [this](MapSelection& sel) { selected(sel); };
    }

    undo_ = new QAction(QStringLiteral("Desfazer"), &window);
    undo_->setShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_Z));
    redo_ = new QAction(QStringLiteral("Refazer"), &window);
    redo_->setShortcuts({QKeySequence(Qt::ControlModifier | Qt::Key_Y),
                         QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z)});
    for (QAction* a : {undo_, redo_}) {
        a->setShortcutContext(Qt::WindowShortcut);
        window.addAction(a);
    }
    connect(undo_, &QAction::triggered, this, [this] { window_.form().undo(); });
    connect(redo_, &QAction::triggered, this, [this] { window_.form().redo(); });

    // Edit fields take Ctrl+Z for their own typing; in this window the keys undo
    // the configuration, wherever the focus is.
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QComboBox*>(w) != nullptr) {
            w->installEventFilter(this);
        }
    }
}

MapEditing::~MapEditing() = default;

MapSelection& MapEditing::selection(MapKind map) {
    return map == MapKind::Ignition ? *ignition_ : *injection_;
}

void MapEditing::selected(MapSelection& selection) {
    // One selection at a time: choosing on one map lets go of the other.
    MapSelection& other = &selection == ignition_.get() ? *injection_ : *ignition_;
    other.collapse();
}

std::string MapEditing::keyOf(MapKind map, int cell) const {
    return map == MapKind::Ignition ? config::ignitionKey(cell) : config::injectionKey(cell);
}

void MapEditing::apply(MapKind map, const std::string& stepName, const Operation& operation) {
    const editing::CellRect rect = selection(map).rect();
    (void)mapedit::apply(
        window_.form(), map == MapKind::Ignition ? mapview::Map::Ignition : mapview::Map::Injection,
        stepName, [&](const editing::Grid& g, const editing::CellRule& rule) {
            return operation(g, rect, rule);
        });
}

void MapEditing::applyNumber(
    MapKind map, const QString& title, const QString& prompt,
    const std::function<editing::Outcome(const editing::Grid&, editing::CellRect, double,
                                         const editing::CellRule&)>& op) {
    const auto text = askNumber(title, prompt);
    if (!text) {
        return;
    }
    const auto number = editing::parseUserNumber(text->toStdString());
    if (!number) {
        window_.form().dialogs.message(" Atenção ! !  \"" + text->toStdString() +
                                       "\" não é um número. Nada foi alterado. ");
        return;
    }
    apply(map, title.toStdString(),
          [&](const editing::Grid& g, editing::CellRect r, const editing::CellRule& rule) {
              return op(g, r, *number, rule);
          });
}

void MapEditing::setValue(MapKind map) {
    applyNumber(map, QStringLiteral("Definir valor"), QStringLiteral("Valor das células:"),
                editing::setValue);
}

void MapEditing::addValue(MapKind map) {
    applyNumber(map, QStringLiteral("Somar"),
                QStringLiteral("Valor a somar às células (negativo subtrai):"), editing::addValue);
}

void MapEditing::scaleByPercent(MapKind map) {
    applyNumber(map, QStringLiteral("Multiplicar por %"),
                QStringLiteral("Percentual (110 aumenta 10 %, 90 diminui 10 %):"),
                editing::scaleByPercent);
}

void MapEditing::interpolate(MapKind map) {
    apply(map, "Interpolar", editing::interpolate);
}

void MapEditing::smooth(MapKind map) {
    apply(map, "Suavizar", editing::smooth);
}

void MapEditing::copy(MapKind map) {
    std::array<std::string, config::kMapCells> texts;
    for (int n = 0; n < config::kMapCells; ++n) {
        texts[static_cast<std::size_t>(n)] = window_.form().controls.text(keyOf(map, n));
    }
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(editing::copyText(texts, selection(map).rect())));
}

void MapEditing::paste(MapKind map) {
    const auto block = editing::parseBlock(QGuiApplication::clipboard()->text().toStdString());
    if (!block.refusal.empty()) {
        window_.form().dialogs.message(block.refusal);
        return;
    }
    const editing::CellRect r = selection(map).rect();
    apply(map, "Colar",
          [&](const editing::Grid& g, editing::CellRect, const editing::CellRule& rule) {
              return editing::paste(g, editing::cellAt(r.top, r.left), block.rows, rule);
          });
}

std::unique_ptr<QMenu> MapEditing::buildMenu(MapKind map) {
    auto menu = std::make_unique<QMenu>(&window_);
    auto add = [&](const QString& text, void (MapEditing::*f)(MapKind)) {
        QAction* a = menu->addAction(text);
        connect(a, &QAction::triggered, this, [this, f, map] { (this->*f)(map); });
        return a;
    };
    add(QStringLiteral("Definir valor..."), &MapEditing::setValue);
    add(QStringLiteral("Somar..."), &MapEditing::addValue);
    add(QStringLiteral("Multiplicar por %..."), &MapEditing::scaleByPercent);
    add(QStringLiteral("Interpolar"), &MapEditing::interpolate);
    add(QStringLiteral("Suavizar"), &MapEditing::smooth);
    menu->addSeparator();
    add(QStringLiteral("Copiar"), &MapEditing::copy)->setShortcut(QKeySequence::Copy);
    add(QStringLiteral("Colar"), &MapEditing::paste)->setShortcut(QKeySequence::Paste);
    menu->addSeparator();
    auto& history = window_.form().history;
    // Entries that could only answer with the refusal are off, and say why.
    const auto whyNot = window_.form().whyNoUndo();
    const QString reason = whyNot ? reasonText(*whyNot) : QString();
    menu->setToolTipsVisible(true);
    QAction* undo =
        menu->addAction(stepText(QStringLiteral("Desfazer"), history.stack().undoText()));
    undo->setShortcut(undo_->shortcut());
    undo->setEnabled(!whyNot && history.canUndo());
    undo->setToolTip(reason);
    connect(undo, &QAction::triggered, undo_, &QAction::trigger);
    QAction* redo =
        menu->addAction(stepText(QStringLiteral("Refazer"), history.stack().redoText()));
    redo->setShortcut(redo_->shortcut());
    redo->setEnabled(!whyNot && history.canRedo());
    redo->setToolTip(reason);
    connect(redo, &QAction::triggered, redo_, &QAction::trigger);
    menu->addSeparator();
    addViewEntries(*menu, window_, map);
    return menu;
}

void MapEditing::showMenu(MapSelection& selection, QPoint globalPos) {
    const auto menu = buildMenu(selection.map());
    menu->exec(globalPos);
}

bool MapEditing::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    QAction* action = isUndoKey(key) ? undo_ : isRedoKey(key) ? redo_ : nullptr;
    if (action != nullptr) {
        // Left unaccepted, the override lets the window's shortcut run; a key press
        // that still arrives runs it here.
        if (type == QEvent::KeyPress) {
            action->trigger();
        }
        return true;
    }
    // On a block of cells Ctrl+C copies the block; Ctrl+V pastes a block there, or
    // a copied block of several cells at a single cell.
    const bool copyKey = key->matches(QKeySequence::Copy);
    const bool pasteKey = key->matches(QKeySequence::Paste);
    if (!copyKey && !pasteKey) {
        return QObject::eventFilter(watched, event);
    }
    for (MapSelection* s : {ignition_.get(), injection_.get()}) {
        const int n = s->indexOf(watched);
        if (n < 0 || !s->rect().contains(n)) {
            continue;
        }
        const QString clip = QGuiApplication::clipboard()->text().trimmed();
        const bool several = s->rect().cellCount() > 1;
        const bool block = copyKey ? several
                                   : several || clip.contains(QLatin1Char('\t')) ||
                                         clip.contains(QLatin1Char('\n'));
        if (!block) {
            break;
        }
        if (type == QEvent::ShortcutOverride) {
            event->accept();
        } else if (copyKey) {
            copy(s->map());
        } else {
            paste(s->map());
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvel::app
