// orvel-module-sim: the engine module on a pseudo-terminal, for trying the
// program without hardware and for the end-to-end tests.
#include "module_config.h"
#include "options.h"
#include "pty_endpoint.h"
#include "simulated_module.h"
#include "wire_pacer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace orvel::sim;
using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

// While nobody holds the terminal the master reports a hang-up at every poll;
// look again at this pace instead of spinning.
constexpr microseconds kHangupRetry{10'000};

void logLine(const std::string& line) {
    std::cerr << "orvel-module-sim: " << line << std::endl;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Runner {
public:
    Runner(PtyEndpoint& pty, SimulatedModule& module, WirePacer& pacer, int signals)
        : pty_(pty), module_(module), pacer_(pacer), signals_(signals) {}

    int run() {
        while (!done_) {
            step();
        }
        return 0;
    }

private:
    microseconds now() const {
        return std::chrono::duration_cast<microseconds>(Clock::now() - start_);
    }

    std::optional<microseconds> wakeAt(microseconds t) const {
        std::optional<microseconds> due = module_.nextDue();
        if (connected_) {
            if (auto line = pacer_.nextDue()) {
                due = due ? std::min(*due, *line) : *line;
            }
        } else {
            due = due ? std::min(*due, t + kHangupRetry) : t + kHangupRetry;
        }
        return due;
    }

    void step() {
        pollfd fds[3] = {{signals_, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}, {-1, POLLIN, 0}};
        if (connected_) {
            fds[2].fd = pty_.master();
        }
        const auto t0 = now();
        const auto due = wakeAt(t0);
        timespec timeout{};
        if (due) {
            // The line's pace is a few hundred microseconds: wait with that precision.
            const auto wait = std::max(microseconds(0), *due - t0);
            timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000);
            timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000) * 1000;
        }
        const int ready = ::ppoll(fds, 3, due ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) {
            logLine(std::string("poll failed: ") + std::strerror(errno));
            done_ = true;
            return;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            logLine("signal received, removing " + pty_.linkPath());
            done_ = true;
            return;
        }
        if (fds[1].revents != 0) {
            readControl();
        }
        if (connected_ && fds[2].revents != 0) {
            readMaster(fds[2].revents);
        }
        if (!connected_) {
            probeTerminal();
        }
        const auto t = now();
        module_.advance(t);
        for (auto& piece : module_.takeOutput()) {
            if (connected_) {
                pacer_.push(piece);
            }
        }
        pacer_.setChunks(module_.chunks());
        if (connected_) {
            writeDue(t);
        }
    }

    void probeTerminal() {
        pollfd probe{pty_.master(), POLLIN, 0};
        if (::poll(&probe, 1, 0) >= 0 && (probe.revents & POLLHUP) == 0) {
            connected_ = true;
            logLine("port opened by the program");
        }
    }

    void hangUp() {
        connected_ = false;
        pacer_.clear();
        pending_.clear();
        module_.disconnected();
    }

    void readMaster(short revents) {
        if ((revents & POLLIN) != 0) {
            std::uint8_t buffer[512];
            const auto n = ::read(pty_.master(), buffer, sizeof buffer);
            if (n > 0) {
                module_.receive(std::span(buffer, static_cast<std::size_t>(n)), now());
                return;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                return;
            }
            hangUp(); // EIO: the program closed the port
        } else if ((revents & (POLLHUP | POLLERR)) != 0) {
            hangUp();
        }
    }

    void writeDue(microseconds t) {
        while (true) {
            if (pending_.empty()) {
                pending_ = pacer_.take(t);
                if (pending_.empty()) {
                    return;
                }
            }
            const auto n = ::write(pty_.master(), pending_.data(), pending_.size());
            if (n < 0) {
                if (errno == EIO) {
                    hangUp();
                }
                return; // EAGAIN: the terminal's queue is full, try again later
            }
            pending_.erase(pending_.begin(), pending_.begin() + n);
            if (!pending_.empty()) {
                return;
            }
        }
    }

    void readControl() {
        char buffer[256];
        const auto n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            if (n == 0 || errno != EAGAIN) {
                logLine("end of standard input, removing " + pty_.linkPath());
                done_ = true;
            }
            return;
        }
        control_.append(buffer, static_cast<std::size_t>(n));
        std::size_t end = 0;
        while ((end = control_.find('\n')) != std::string::npos) {
            const std::string line = control_.substr(0, end);
            control_.erase(0, end + 1);
            if (module_.control(line, now()) == ControlResult::Unplug) {
                logLine("unplugged, removing " + pty_.linkPath());
                pty_.closeMaster();
                done_ = true;
                return;
            }
        }
    }

    PtyEndpoint& pty_;
    SimulatedModule& module_;
    WirePacer& pacer_;
    int signals_;
    Clock::time_point start_ = Clock::now();
    bool connected_ = false;
    bool done_ = false;
    std::string control_;
    Bytes pending_;
};

} // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string_view> args(argv + 1, argv + argc);
        const Options options = parseOptions(args);
        if (options.help) {
            std::cout << helpText();
            return 0;
        }
        const ModuleConfig config =
            options.configFile ? configFromMapFile(readFile(*options.configFile)) : defaultConfig();

        sigset_t mask;
        sigemptyset(&mask);
        sigaddset(&mask, SIGINT);
        sigaddset(&mask, SIGTERM);
        sigaddset(&mask, SIGHUP);
        sigprocmask(SIG_BLOCK, &mask, nullptr);
        const int signals = signalfd(-1, &mask, SFD_CLOEXEC);
        std::signal(SIGPIPE, SIG_IGN);

        const std::string folder = portFolder(std::getenv("XDG_RUNTIME_DIR"), ::getuid());
        ensurePrivateFolder(folder, ::getuid());
        PtyEndpoint pty(folder);

        EngineModel engine(options.coolantStartC);
        engine.setRunning(options.engineRunning);
        FuelError fuel = noFuelError();
        if (options.fuelError == "exemplo") {
            fuel = exampleFuelError();
        } else if (options.fuelError == "onda") {
            fuel = waveFuelError();
        } else if (options.fuelError) {
            fuel.factors = parseFuelFactors(readFile(*options.fuelError));
        }
        SimulatedModule module(config, options.behaviour, engine, fuel);
        module.setChunks(options.chunks);
        module.log = logLine;
        WirePacer pacer;
        pacer.setPaced(options.paced);

        std::cout << pty.linkPath() << std::endl;
        logLine("module on " + pty.terminalPath());
        return Runner(pty, module, pacer, signals).run();
    } catch (const std::exception& e) {
        logLine(e.what());
        return 1;
    }
}
