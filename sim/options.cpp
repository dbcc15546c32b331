#include "options.h"

#include <charconv>
#include <stdexcept>

namespace orvel::sim {

namespace {

int numberArgument(std::string_view option, std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        throw std::invalid_argument(std::string(option) + " needs a number from " +
                                    std::to_string(low) + " to " + std::to_string(high) +
                                    ", not '" + std::string(text) + "'");
    }
    return value;
}

frames::Layout layoutArgument(std::string_view text) {
    if (text == "A") {
        return frames::Layout::A;
    }
    if (text == "B") {
        return frames::Layout::B;
    }
    if (text == "C") {
        return frames::Layout::C;
    }
    throw std::invalid_argument("--layout needs A, B or C, not '" + std::string(text) + "'");
}

} // namespace

Options parseOptions(const std::vector<std::string_view>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const auto value = [&]() -> std::string_view {
            if (i + 1 >= args.size()) {
                throw std::invalid_argument(std::string(arg) + " needs a value");
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--config") {
            options.configFile = std::string(value());
        } else if (arg == "--tps-closed") {
            options.behaviour.tpsClosed = numberArgument(arg, value(), 0, 1023);
        } else if (arg == "--tps-open") {
            options.behaviour.tpsOpen = numberArgument(arg, value(), 0, 1023);
        } else if (arg == "--tps") {
            options.behaviour.tpsFixed = numberArgument(arg, value(), 0, 1023);
        } else if (arg == "--silent") {
            options.behaviour.silent = true;
        } else if (arg == "--layout") {
            options.behaviour.layout = layoutArgument(value());
        } else if (arg == "--drop-byte") {
            options.behaviour.dropNextByte = true;
        } else if (arg == "--garbage") {
            options.behaviour.garbageBeforeFirstAnswer =
                static_cast<std::size_t>(numberArgument(arg, value(), 0, 4096));
        } else if (arg == "--chunks") {
            options.chunks = true;
        } else if (arg == "--no-pace") {
            options.paced = false;
        } else if (arg == "--coolant") {
            options.coolantStartC = numberArgument(arg, value(), -40, 150);
        } else if (arg == "--fuel-error") {
            options.fuelError = std::string(value());
        } else if (arg == "--time-scale") {
            options.behaviour.timeScale = numberArgument(arg, value(), 1, 10);
        } else if (arg == "--engine-off") {
            options.engineRunning = false;
        } else {
            throw std::invalid_argument("unknown option '" + std::string(arg) + "' (see --help)");
        }
    }
    return options;
}

std::string helpText() {
    return R"(Usage: orvel-module-sim [options]

Simulates the engine module on a pseudo-terminal. On start it prints the path of
the terminal's link (one line); the link is module<N> in $XDG_RUNTIME_DIR/orvel-ports/
(or /tmp/orvel-ports-<uid>/ without XDG_RUNTIME_DIR). The link is removed on
SIGINT, SIGTERM or the end of standard input. Events are reported on standard error.

Options:
  --config FILE       start from the configuration of a map file (default: the
                      program's start values)
  --tps-closed COUNT  throttle count (0..1023) during the first scanner session
  --tps-open COUNT    throttle count during the later scanner sessions
  --tps COUNT         throttle count in every scanner session
  --silent            answer nothing
  --layout A|B|C      send frames in this layout (A: "HP" id data "F"; B: without
                      "H", one space after; C: without "HP", two spaces after)
  --drop-byte         the first frame sent loses its first byte
  --garbage N         send N garbage bytes before the first frame
  --chunks            write in odd-sized chunks that cut across frames
  --no-pace           write at once instead of at 38400 baud
  --coolant DEGREES   coolant temperature at start (warms towards 90 °C)
  --engine-off        the engine is stopped (period 0, pump off)
  --fuel-error FILE   the engine needs more or less fuel than the map gives: 72
                      factors, one per injection cell, as in a map file ("1,1;
                      0,92;1;..."); "exemplo" for a built-in pattern, "onda" for a
                      smooth wave that varies inside cells. The module's
                      lambda loop then trims towards its targets (see sim/README.md)
  --time-scale N      run the engine N times faster (1..10): each poll brings N
                      times as many sets (50 a second at 10, what the line carries)
  --help              this text

Lines on standard input change the behaviour while it runs:
  tps COUNT | tps off     fix the throttle count, or go back to the driving cycle
  silent on | silent off  stop or resume answering
  drop-byte               the next frame loses its first byte
  corrupt-packet N        the next upload's packet N arrives with a byte changed
  drop-packet N           the next upload's packet N never arrives
  layout A | B | C        frame layout from now on
  garbage N               send N garbage bytes now
  chunks on | chunks off  odd-sized writes
  engine on | engine off  start or stop the engine
  coolant DEGREES         set the coolant temperature (it warms from there)
  unplug                  close the terminal as a pulled-out adapter would, and exit
Each accepted line is confirmed on standard error with "ok <line>".
)";
}

} // namespace orvel::sim
