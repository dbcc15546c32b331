#include "transfer/scanner.h"

#include "form/form.h"
#include "model/config.h"
#include "model/number_text.h"
#include "transfer/scanner_values.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orvel {

namespace {

constexpr std::array<std::string_view, 8> kGauges{"Gauge1", "Gauge2", "Gauge3", "Gauge4",
                                                  "Gauge5", "Gauge6", "Gauge7", "Gauge8"};
constexpr std::array<std::string_view, 4> kLoadGauges{"Gauge1", "Gauge2", "Gauge6", "Gauge8"};
constexpr std::array<std::string_view, 4> kRpmGauges{"Gauge3", "Gauge4", "Gauge5", "Gauge7"};

constexpr int kFirstPollMs = 10;
constexpr int kPollMs = 1000;
constexpr int kStepsPerCell = 6;
constexpr int kLastRpmPosition = 48;
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

bool Scanner::isOn() const {
    return form_.state.scannerActive;
}

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
    const std::string& caption = form_.controls.caption("Button3");
    if (caption == kSwitchOnCaption) {
        switchOn();
    } else if (caption == kSwitchOffCaption) {
        switchOff();
    }
    form_.state.frameReceived = true;
}

void Scanner::switchOn() {
    form_.download.abandon();
    auto& c = form_.controls;
    c.setTabVisible("TabSheet2", false);
    c.setVisible("GroupBox3", false);
    form_.state.scannerActive = true;
    for (auto g : kGauges) {
        c.setVisible(g, true);
    }
    c.setEnabled({"btnLerDados", "btnEnvia", "btnSalvar", "btnCarregar"}, false);
    form_.timer1->setInterval(kFirstPollMs);
    form_.timer1->setEnabled(true);
    c.setCaption("Button3", kSwitchOffCaption);
    c.setEnabled({"btnAlterarMapas", "btnDesativar", "btnConfigurarTps"}, false);
    form_.recorder.sessionStarted();
}

void Scanner::switchOff() {
    auto& c = form_.controls;
    // Whatever ends the session (the user, the watchdog, the TPS procedure, a
    // lost port) comes through here.
    form_.recorder.sessionEnded();
    form_.state.scannerActive = false;
    c.setEnabled({"btnLerDados", "btnEnvia", "btnSalvar", "btnCarregar"}, true);
    c.setCaption("Button3", kSwitchOnCaption);
    c.setEnabled({"btnAlterarMapas", "btnDesativar"}, true);
    for (auto g : kGauges) {
        c.setVisible(g, false);
    }
    c.setVisible("GroupBox3", true);
    c.setTabVisible("TabSheet2", true);
    // Timer1 keeps running: its next tick sends the stop command.
}

void Scanner::Timer1Timer() {
    auto& timer = *form_.timer1;
    if (pollingWithoutPort()) {
        return;
    }
    if (!form_.state.frameReceived) {
        timer.setEnabled(false);
        Button3Click();
        form_.dialogs.message("Módulo não responde");
        if (pollingWithoutPort()) {
            return; // the port was lost while the box was open; that loss was reported
        }
    }
    if (timer.interval() == kFirstPollMs) {
        timer.setInterval(kPollMs);
    }
    if (form_.state.scannerActive) {
        form_.port.send(frames::encodeCommand(frames::Command::ScannerPoll));
    } else {
        form_.port.send(frames::encodeCommand(frames::Command::ScannerStop));
        timer.setEnabled(false);
    }
    form_.state.frameReceived = false;
}

bool Scanner::pollingWithoutPort() {
    if (form_.port.isOpen()) {
        return false;
    }
    // A port lost while a box was open: a later start (the TPS procedure) or
    // the rest of this tick finds nothing to poll. Off, quietly.
    form_.timer1->setEnabled(false);
    stop();
    form_.port.ComPort1AfterClose();
    form_.state.frameReceived = false;
    return true;
}

void Scanner::handleFrame(const frames::ModuleFrame& frame) {
    form_.recorder.frameReceived(frame, form_.state.cylinderCount);
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
    auto& c = form_.controls;
    auto& s = form_.state;
    s.loadPosition = d[7];
    c.setText("eTemperatura", integer(d[0]));
    c.setTextColor("eTemperatura", d[0] >= 95 ? colors::yellow : colors::lime);
    c.setText("eValorMap", integer(d[1]));
    c.setText("eAtuadorML", integer(d[2]));
    c.setText("eValorSonda", integer(scanvalues::lambdaMillivolts(d[3])));
    s.tpsRawValue = frames::u16(d[4], d[5]);
    if (form_.timerTps->tag == 1) {
        form_.tps.capture();
    }
    c.setPosition("BarraTps", s.tpsRawValue / 4);
    s.tpsVoltage = scanvalues::tpsVolts(s.tpsRawValue);
    c.setText("eValorTps", numtext::formatPattern(s.tpsVoltage, "0.00 "));
    c.setText("eColunaTps", integer(d[6]));
    for (auto g : kLoadGauges) {
        c.setPosition(g, d[7]);
    }
}

void Scanner::engineFrame(const Data& d) {
    auto& c = form_.controls;
    auto& s = form_.state;
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
            s.injectorDuty = scanvalues::injectorDuty(rpm, s.cylinderCount, s.injectionTimeMs);
            c.setText("eTi", numtext::formatPattern(s.injectionTimeMs, "0.0") + "  " +
                                 numtext::formatPattern(s.injectorDuty, "0"));
            c.setTextColor("eTi", s.injectorDuty >= 90 ? colors::yellow : colors::lime);
        } else {
            c.setText("eRpm", "");
            c.setText("eTi", "");
        }
        c.setTextColor("eScannerBomba", d[7] != 0 ? colors::yellow : colors::grey);
    }
    markCells();
}

void Scanner::correctionFrame(const Data& d) {
    auto& c = form_.controls;
    c.setText("eCorSondaCurto", signedPattern(d[0]));
    c.setText("eCorSondaLongo", signedPattern(d[1]));
    c.setText("eCorTemperatura", signedPattern(d[2]) + " %");
    c.setText("eCorPresAtm", signedPattern(d[3]) + " %");
    c.setText("eCorAvanco", signedPattern(d[4]) + " °");
    c.setTextColor("eScannerEletro", d[5] != 0 ? colors::yellow : colors::grey);
    c.setTextColor("eScannerAr", d[6] != 0 ? colors::yellow : colors::grey);
}

void Scanner::diagnosticFrame(const frames::ModuleFrame& frame) {
    auto& c = form_.controls;
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
    const auto& s = form_.state;
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

    auto& cells = form_.state.highlightedCells;
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
    form_.controls.setColor(config::ignitionKey(*cell), color);
    form_.controls.setColor(config::injectionKey(*cell), color);
}

} // namespace orvel
