#pragma once

#include <QString>

#include <string>

class QObject;

namespace orvel {
class Form;
}

namespace orvel::app {

// Makes the folder (private to the user) when it is not there yet and shows it
// in the file manager; a file manager that never opens it is told at the
// boundary, naming where the folder is (`notOpened`).
void openFolderInFileManager(QObject* owner, Form& form, const QString& folder,
                             const std::string& notOpened);

} // namespace orvel::app
