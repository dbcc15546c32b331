#pragma once

#include <iosfwd>
#include <optional>

class QCoreApplication;

namespace orvel::app {

// --help and --version are answered before the toolkit starts, so that they
// work without a display. Returns the exit status when the program should end.
[[nodiscard]] std::optional<int> answerCommandLine(int argc, const char* const* argv,
                                                   std::ostream& out);

// The toolkit's own texts (file dialogs, context menus) in Brazilian Portuguese,
// like the rest of the program; without the translation files they stay as they are.
void installToolkitTranslations(QCoreApplication& app);

} // namespace orvel::app
