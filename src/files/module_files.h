#pragma once

#include "files/module_history.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace orvel {

// A configuration the module history kept, as its list shows it.
struct KeptConfiguration {
    QString path;
    QDateTime when;
    ModuleHistory::Kind kind = ModuleHistory::Kind::Read;
    QString cylinders; // a hint of which car it was; empty when unreadable
    QString rpmLimit;
    QString note;
};

// The kept files of a folder, newest first. Only names the history writes
// count; a file that is no map file still lists, without its hints.
[[nodiscard]] std::vector<KeptConfiguration> listKeptConfigurations(const QString& folder);

// The user's note on a kept file sits beside it ("….nota"), so the map file
// stays as any map file. An empty note removes it. False when it cannot be written.
[[nodiscard]] QString notePathOf(const QString& keptPath);
[[nodiscard]] QString readNote(const QString& keptPath);
bool writeNote(const QString& keptPath, const QString& note);

} // namespace orvel
