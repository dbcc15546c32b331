#pragma once

#include <iosfwd>
#include <optional>

class QCoreApplication;

namespace orvel::app {

// --help and --version are answered before the toolkit starts, so that they
// work without a display; any other argument is refused with the usage on `err`
// and kUsageError. Returns the exit status when the program should end.
[[nodiscard]] std::optional<int> answerCommandLine(int argc, const char* const* argv,
                                                   std::ostream& out, std::ostream& err);
inline constexpr int kUsageError = 2;

// While it lives, what the program writes reaches the console it was started
// from, in UTF-8 (a Windows window program has none of its own).
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

private:
    unsigned codePage_ = 0;
};

// The toolkit's own texts (file dialogs, context menus) in Brazilian Portuguese,
// like the rest of the program; without the translation files they stay as they are.
void installToolkitTranslations(QCoreApplication& app);

} // namespace orvel::app
