#pragma once

#include <QString>

#include <functional>

class QFileSystemWatcher;
class QGridLayout;
class QPushButton;
class QTimer;
class QWidget;

// What the pages that list the files of a folder share.
namespace orvel::app {

// A button with its object name, for the tests, and its hint.
[[nodiscard]] QPushButton* listButton(const QString& caption, const QString& name,
                                      const QString& hint);

// The list's four buttons, two by two, in reading order.
[[nodiscard]] QGridLayout* buttonGrid(QPushButton* first, QPushButton* second, QPushButton* third,
                                      QPushButton* fourth);

// Asks in a box over `parent` before files go to the trash.
[[nodiscard]] bool askMoveToTrash(QWidget* parent, const QString& question);

// Calls `refresh` `delayMs` after the watched folder changes: once for a burst
// of changes, and only while `owner` is shown.
void refreshOnFolderChanges(QWidget* owner, QFileSystemWatcher& watcher, QTimer& timer, int delayMs,
                            std::function<void()> refresh);

} // namespace orvel::app
