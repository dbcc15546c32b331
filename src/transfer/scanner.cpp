#include "transfer/scanner.h"

#include "core/control_store.h"
#include "core/platform.h"
#include "form/form_state.h"
#include "link/serial_port_controller.h"
#include "model/config.h"
#include "model/number_text.h"
#include "transfer/scanner_values.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orvel {

namespace {

constexpr std::array<std::string_view, 4> kLoadGauges{"Gauge1", "Gauge2", "Gauge6", "Gauge8"};
constexpr std::array<std::string_view, 4> kRpmGauges{"Gauge3", "Gauge4", "Gauge5", "Gauge7"};

constexpr int kFirstPollMs = 10;
constexpr int kPollMs = 1000;
constexpr int kStepsPerCell = 6;
constexpr int kLastRpmPosition = 48;
// Why the RPM field stays empty, in its tool tip.
constexpr char kRpmUnknown[] = "A RPM depende do número de cilindros do módulo: ela aparece "
                               "depois de \"Lêr Dados\" ou \"Enviar Dados\".";
constexpr int kLastLoadPosition = 42;
constexpr int kRows = 9;
constexpr int kColumns = 8;

std::string integer(int value) {
    return numtext::formatInteger(value);
}

std::string signedPattern(std::uint8_t b) {
    return numtext::formatPattern(frames::s8(b), "0;-0;0");
}

} // namespace

void Scanner::start() {
    if (!isOn()) {
        Button3Click();
    }
}

void Scanner::stop() {
    if (isOn()) {
        Button3Click();
    }
}

void Scanner::Button3Click() {
    const std::string& caption = controls_.caption("Button3");
    if (caption == kSwitchOnCaption) {
        switchOn();
    } else if (caption == kSwitchOffCaption) {
        switchOff();
    }
    state_.frameReceived = true;
}

void Scanner::switchOn() {
    if (!activity_.mayStartScanner()) {
        return; // a transfer holds the line, or there is no port to poll
    }
    hooks_.beforeStart();
    activity_.scannerOn();
    poll_.setInterval(kFirstPollMs);
    poll_.setEnabled(true);
    controls_.setCaption("Button3", kSwitchOffCaption);
    hooks_.sessionStarted();
}

void Scanner::switchOff() {
    // Whatever ends the session (the user, the watchdog, the TPS procedure, a
    // lost port) comes through here.
    hooks_.sessionEnded();
    activity_.scannerStopping();
    controls_.setCaption("Button3", kSwitchOnCaption);
    // Timer1 keeps running: its next tick sends the stop command.
}

void Scanner::finishStopping() {
    if (activity_.scanner() != Activity::Scanner::Stopping) {
        return;
    }
    poll_.setEnabled(false);
    activity_.scannerOff();
    if (port_.lineOpen()) {
        port_.send(frames::encodeCommand(frames::Command::ScannerStop));
    }
}

void Scanner::portClosed() {
    if (isOn()) {
        switchOff();
    }
    poll_.setEnabled(false);
    activity_.scannerOff();
    state_.frameReceived = false;
}

void Scanner::Timer1Timer() {
    if (!port_.isOpen()) {
        poll_.setEnabled(false);
        return;
    }
    if (!state_.frameReceived) {
        poll_.setEnabled(false);
        Button3Click();
        dialogs_.message(kNoModuleAnswer);
        if (!port_.isOpen() || activity_.scanner() == Activity::Scanner::Off) {
            return; // the port went, or another start took the stop over, while the box was open
        }
    }
    if (poll_.interval() == kFirstPollMs) {
        poll_.setInterval(kPollMs);
    }
    if (isOn()) {
        port_.send(frames::encodeCommand(frames::Command::ScannerPoll));
    } else {
        poll_.setEnabled(false);
        activity_.scannerOff();
        port_.send(frames::encodeCommand(frames::Command::ScannerStop));
    }
    state_.frameReceived = false;
}

void Scanner::handleFrame(const frames::ModuleFrame& frame) {
    hooks_.frameArrived(frame);
    switch (frame.id) {
    case 29:
        sensorFrame(frame.data);
        break;
    case 30:
        engineFrame(frame.data);
        break;
    case 31:
        correctionFrame(frame.data);
        break;
    case 32:
    case 33:
    case 34:
        diagnosticFrame(frame);
        break;
    default:
        break;
    }
}

void Scanner::sensorFrame(const Data& d) {
    auto& c = controls_;
    auto& s = state_;
    s.loadPosition = d[7];
    c.setText("eTemperatura", integer(d[0]));
    c.setTextColor("eTemperatura", d[0] >= 95 ? colors::yellow : colors::lime);
    c.setText("eValorMap", integer(d[1]));
    c.setText("eAtuadorML", integer(d[2]));
    c.setText("eValorSonda", integer(scanvalues::lambdaMillivolts(d[3])));
    s.tpsRawValue = frames::u16(d[4], d[5]);
    hooks_.tpsRead();
    c.setPosition("BarraTps", s.tpsRawValue / 4);
    s.tpsVoltage = scanvalues::tpsVolts(s.tpsRawValue);
    c.setText("eValorTps", numtext::formatPattern(s.tpsVoltage, "0.00 "));
    c.setText("eColunaTps", integer(d[6]));
    for (auto g : kLoadGauges) {
        c.setPosition(g, d[7]);
    }
}

void Scanner::engineFrame(const Data& d) {
    auto& c = controls_;
    auto& s = state_;
    c.setText("eAvanco", integer(d[0]) + "°");
    s.rpmPosition = frames::s8(d[1]);
    c.setText("eLinhaMapa", integer(s.rpmPosition));
    for (auto g : kRpmGauges) {
        c.setPosition(g, kLastRpmPosition - d[1]);
    }
    s.injectionTimeMs = scanvalues::injectionTenths(d[2], d[3]) / 10.0;
    c.setText("ePresAtm", integer(scanvalues::atmosphericMbar(d[4])));
    const int period = frames::u16(d[5], d[6]);
    if (period > 0) {
        // Until a configuration is read or sent the cylinder count is unknown
        // (0): RPM and duty cannot be worked out, so they show nothing.
        if (s.cylinderCount > 0) {
            const int rpm = scanvalues::rpm(period, s.cylinderCount);
            c.setText("eRpm", integer(rpm));
            c.setHint("eRpm", "");
            s.injectorDuty = scanvalues::injectorDuty(rpm, s.cylinderCount, s.injectionTimeMs);
            c.setText("eTi", numtext::formatPattern(s.injectionTimeMs, "0.0") + "  " +
                                 numtext::formatPattern(s.injectorDuty, "0"));
            c.setTextColor("eTi", s.injectorDuty >= 90 ? colors::yellow : colors::lime);
        } else {
            c.setText("eRpm", "");
            c.setHint("eRpm", kRpmUnknown);
            c.setText("eTi", "");
        }
        c.setTextColor("eScannerBomba", d[7] != 0 ? colors::yellow : colors::grey);
    }
    markCells();
}

void Scanner::correctionFrame(const Data& d) {
    auto& c = controls_;
    c.setText("eCorSondaCurto", signedPattern(d[0]));
    c.setText("eCorSondaLongo", signedPattern(d[1]));
    c.setText("eCorTemperatura", signedPattern(d[2]) + " %");
    c.setText("eCorPresAtm", signedPattern(d[3]) + " %");
    c.setText("eCorAvanco", signedPattern(d[4]) + " °");
    c.setTextColor("eScannerEletro", d[5] != 0 ? colors::yellow : colors::grey);
    c.setTextColor("eScannerAr", d[6] != 0 ? colors::yellow : colors::grey);
}

void Scanner::diagnosticFrame(const frames::ModuleFrame& frame) {
    auto& c = controls_;
    const auto& d = frame.data;
    const std::size_t first = frame.id == 32 ? 2 : 0;
    std::string line;
    for (std::size_t i = first; i < d.size(); ++i) {
        line += integer(d[i]) + " ";
    }
    auto items = c.get("ListBox1").items;
    if (items.size() >= kDiagnosticLines) {
        items.erase(items.begin(), items.end() - static_cast<long>(kDiagnosticLines - 1));
    }
    items.push_back(std::move(line));
    c.setItems("ListBox1", std::move(items));
    if (frame.id == 32) {
        const int count = frames::u16(d[0], d[1]);
        c.setText("Label51",
                  "Vcc MAP = " + numtext::formatPattern(count * 5 / 1023.0, "0.00;-0.00;0.00") +
                      " = " + integer(count));
    }
}

void Scanner::markCells() {
    const auto& s = state_;
    std::optional<int> current, nextRow, nextColumn, diagonal;
    const int row = s.rpmPosition / kStepsPerCell;
    const int column = s.loadPosition / kStepsPerCell;
    // Positions off the map (a negative RPM position, a load past the last
    // column) have no cell to mark; the old marks are cleared.
    if (row >= 0 && row < kRows && column >= 0 && column < kColumns) {
        current = row * kColumns + column;
        const double rowFraction = (s.rpmPosition / double(kStepsPerCell) - row) * 100;
        const double columnFraction = (s.loadPosition / double(kStepsPerCell) - column) * 100;
        if (rowFraction > 20 && s.rpmPosition < kLastRpmPosition) {
            nextRow = *current + kColumns;
        }
        if (columnFraction > 20 && s.loadPosition < kLastLoadPosition) {
            nextColumn = *current + 1;
        }
        if (nextRow && nextColumn) {
            diagonal = *current + kColumns + 1;
        }
    }

    auto& cells = state_.highlightedCells;
    for (auto& entry : cells) {
        if (entry &&
            (entry == current || entry == nextRow || entry == nextColumn || entry == diagonal)) {
            entry.reset(); // stays marked
        }
    }
    const std::array<std::pair<std::size_t, std::optional<int>>, 4> updates{
        {{0, current}, {2, nextColumn}, {1, nextRow}, {3, diagonal}}};
    for (const auto& [index, value] : updates) {
        auto& entry = cells[index];
        if (entry && entry != value) {
            setCellMarked(entry, false);
        }
        entry = value;
        setCellMarked(value, true);
    }
}

void Scanner::setCellMarked(std::optional<int> cell, bool marked) {
    if (!cell) {
        return;
    }
    const Rgb color = marked ? colors::red : colors::black;
    controls_.setColor(config::ignitionKey(*cell), color);
    controls_.setColor(config::injectionKey(*cell), color);
}

} // namespace orvel
