#include "app/command_line.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <array>
#include <cstdio>
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
#ifdef _WIN32
    "\n"
    "A porta é a COM do adaptador, com o número que o Gerenciador de Dispositivos mostra.\n";
#else
    "\n"
    "O módulo simulado (orvel-module-sim) publica a sua porta em\n"
    "$XDG_RUNTIME_DIR/orvel-ports/, que aparece em primeiro lugar na lista de portas.\n";
#endif

// The toolkit's own options, which it takes from the same command line: a
// session manager restores the window with -session, and -platform or -style
// are how a technician works around a desktop that misbehaves.
constexpr std::array<std::string_view, 14> kToolkitWithValue{
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "name",          "title"};
constexpr std::array<std::string_view, 5> kToolkitAlone{"reverse", "widgetcount", "nograb",
                                                        "dograb", "sync"};

// How many arguments from `arg` on the toolkit takes: 0 when it is not one of its own.
int toolkitArguments(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') {
        return 0;
    }
    arg.remove_prefix(arg[1] == '-' ? 2 : 1); // it takes -style and --style alike
    const auto equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const auto has = [name](const auto& names) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    if (has(kToolkitWithValue)) {
        return equals == std::string_view::npos ? 2 : 1;
    }
    return has(kToolkitAlone) ? 1 : 0;
}

} // namespace

std::optional<int> answerCommandLine(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err) {
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
        if (const int taken = toolkitArguments(arg); taken > 0) {
            i += taken - 1;
            continue;
        }
        // A mistyped option must not pass unnoticed behind an open window.
        err << "orvel: opção desconhecida: " << arg << "\n\n" << kHelp;
        return kUsageError;
    }
    return std::nullopt;
}

ConsoleOutput::ConsoleOutput() {
#ifdef _WIN32
    // A window program has no console of its own. Started from one, it writes
    // there; with its output sent to a file or a pipe, it already has a handle.
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        (void)std::freopen("CONOUT$", "w", stdout);
        (void)std::freopen("CONOUT$", "w", stderr);
    }
    // The help is in Portuguese, written as UTF-8; the console gets its own code
    // page back when the program is done with it.
    codePage_ = ::GetConsoleOutputCP();
    if (codePage_ != 0) {
        ::SetConsoleOutputCP(CP_UTF8);
    }
#endif
}

ConsoleOutput::~ConsoleOutput() {
#ifdef _WIN32
    std::fflush(stdout);
    std::fflush(stderr);
    if (codePage_ != 0) {
        ::SetConsoleOutputCP(codePage_);
    }
#endif
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
