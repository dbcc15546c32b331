#include "app/command_line.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <ostream>
#include <string_view>

namespace orvel::app {

namespace {

constexpr std::string_view kHelp =
    "Uso: orvel [opções]\n"
    "Configura e acompanha o módulo de injeção e ignição pela porta serial.\n"
    "\n"
    "Opções:\n"
    "  -h, --help     mostra esta ajuda e sai\n"
    "  -v, --version  mostra a versão e sai\n"
    "\n"
    "O módulo simulado (orvel-module-sim) publica a sua porta em\n"
    "$XDG_RUNTIME_DIR/orvel-ports/, que aparece em primeiro lugar na lista de portas.\n";

} // namespace

std::optional<int> answerCommandLine(int argc, const char* const* argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out << kHelp;
            return 0;
        }
        if (arg == "--version" || arg == "-v") {
            out << "orvel " << ORVEL_VERSION << '\n';
            return 0;
        }
    }
    return std::nullopt;
}

void installToolkitTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

} // namespace orvel::app
