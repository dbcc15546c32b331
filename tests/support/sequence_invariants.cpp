#include "support/sequence_invariants.h"

#include "activity/control_states.h"
#include "link/frames.h"

namespace orvel::test::seq {

namespace {

std::optional<frames::Command> commandOf(std::span<const std::uint8_t> bytes) {
    return frames::decodeCommand(bytes);
}

const char* commandName(frames::Command command) {
    switch (command) {
    case frames::Command::ReadConfig:
        return "read command";
    case frames::Command::ScannerPoll:
        return "scanner poll";
    case frames::Command::ScannerStop:
        return "scanner stop";
    case frames::Command::UploadEnd:
        return "upload end";
    }
    return "command";
}

const char* phaseName(const Seen& seen) {
    switch (seen.tps) {
    case TpsPhase::FirstBox:
        return "first box";
    case TpsPhase::Closed:
        return "closed reading";
    case TpsPhase::OpenBox:
        return "open-throttle box";
    case TpsPhase::Open:
        // Label91 counts the readings; the eighth is the open one.
        return seen.form->controls.text("Label91") == "8" ? "after the open reading"
                                                          : "open reading";
    case TpsPhase::None:
        break;
    }
    return "none";
}

bool scannerShowsRunning(const Seen& seen) {
    return seen.form->controls.caption("Button3") == kScannerOff;
}

std::string afterPacket(const Seen& seen) {
    return "after packet " + std::to_string(seen.nextPacket - 1) + "; last box \"" +
           seen.lastBox.substr(0, 60) + "\"";
}

// (a) whole uploads: 1..32 in order, then the end command.
class WholeUploads : public Invariant {
public:
    WholeUploads() : Invariant("a") {}
    void wrote(const Seen& seen, std::span<const std::uint8_t> bytes, Findings& f) override {
        if (const int n = packetOf(bytes)) {
            if (seen.uploadOnWire && n == 1) {
                report(f, "upload started over at packet 1", afterPacket(seen));
            } else if (seen.uploadOnWire && n != seen.nextPacket) {
                report(f, "packet out of order",
                       "packet " + std::to_string(n) + " " + afterPacket(seen));
            } else if (!seen.uploadOnWire && n != 1) {
                report(f, "packet outside an upload", "packet " + std::to_string(n));
            }
        } else if (commandOf(bytes) == frames::Command::UploadEnd) {
            if (!seen.uploadOnWire) {
                report(f, "end command outside an upload");
            } else if (seen.nextPacket != frames::kLastPacket + 1) {
                report(f, "end command before packet 32", afterPacket(seen));
            }
        }
    }
    void after(const Seen& seen, Findings& f) override {
        // Packets go 50 ms apart.
        if (seen.uploadOnWire && seen.linkOpen && seen.now - seen.lastPacketAt > 1000) {
            report(f, "upload stopped part-way", afterPacket(seen));
        }
    }
    void atEnd(const Seen& seen, Findings& f) override {
        if (seen.uploadOnWire && seen.linkOpen) {
            report(f, "upload stopped part-way", afterPacket(seen));
        }
    }
};

// (b) nothing else between an upload's bytes.
class NoInterleaving : public Invariant {
public:
    NoInterleaving() : Invariant("b") {}
    void wrote(const Seen& seen, std::span<const std::uint8_t> bytes, Findings& f) override {
        if (!seen.uploadOnWire || packetOf(bytes) != 0) {
            return;
        }
        const auto command = commandOf(bytes);
        if (!command) {
            report(f, "unknown bytes inside an upload", afterPacket(seen));
        } else if (*command != frames::Command::UploadEnd) {
            report(f, std::string(commandName(*command)) + " inside an upload", afterPacket(seen));
        }
    }
};

// (c) the module and the files take milliseconds only.
class NoPercentOut : public Invariant {
public:
    NoPercentOut() : Invariant("c") {}
    void reset() override { scannerWasOn_ = false; }
    void wrote(const Seen& seen, std::span<const std::uint8_t> bytes, Findings& f) override {
        const int n = packetOf(bytes);
        if (n >= 10 && n <= 18 && seen.percent()) {
            report(f, "injection packet sent in percent", "packet " + std::to_string(n));
        }
    }
    void saveDialog(const Seen& seen, Findings& f) override {
        if (seen.percent()) {
            report(f, "save dialog opened with the map in percent");
        }
    }
    void after(const Seen& seen, Findings& f) override {
        const bool on = scannerShowsRunning(seen);
        if (on && !scannerWasOn_ && seen.percent()) {
            report(f, "scanner started with the map in percent",
                   "last box \"" + seen.lastBox + "\"");
        }
        scannerWasOn_ = on;
    }

private:
    bool scannerWasOn_ = false;
};

// (e) the user can always get out.
class NoTrap : public Invariant {
public:
    NoTrap() : Invariant("e") {}
    void after(const Seen& seen, Findings& f) override {
        if (scannerShowsRunning(seen) && !seen.uploadRunning() && !seen.alterationMode() &&
            seen.tps == TpsPhase::None && !clickable(seen.form->controls, "Button3")) {
            report(f, "Desativar Scanner not clickable while the scanner runs");
        }
    }
    void atEnd(const Seen& seen, Findings& f) override {
        const auto& c = seen.form->controls;
        const bool cycle = seen.linkOpen ? clickable(c, "btnDesativar") : clickable(c, "btnAtivar");
        if (!cycle) {
            report(f, "port cannot be closed and opened again at the end",
                   seen.linkOpen ? "port open" : "port closed");
        }
        if (c.visible("pnAguarde") || c.visible("Panel1")) {
            report(f, "wait panel still shown at the end");
        }
        if (seen.form->activity.checking()) {
            report(f, "module check still waiting at the end");
        }
        if (seen.linkOpen && !scannerShowsRunning(seen) && !seen.uploadRunning() &&
            !clickable(c, "Button3")) {
            report(f, "Ativar Scanner not clickable with the port idle at the end");
        }
    }
};

// (g) the TPS procedure owns the port until its own upload is through.
class TpsOwnsThePort : public Invariant {
public:
    TpsOwnsThePort() : Invariant("g") {}
    void wrote(const Seen& seen, std::span<const std::uint8_t> bytes, Findings& f) override {
        if (seen.tps != TpsPhase::None && !seen.tpsUploadDone &&
            commandOf(bytes) == frames::Command::ReadConfig) {
            report(f, std::string("read command during TPS ") + phaseName(seen));
        }
    }
    void boxShown(const Seen& seen, const std::string& text, Findings& f) override {
        if (text == kTpsCancelled && seen.tpsUploadBefore) {
            report(f, "completed calibration reported cancelled");
        }
        // The procedure's own upload must have carried them; what the user sends
        // after it, before its last box, is the user's.
        if (text.starts_with(kTpsDone) && !seen.tpsUploadDone) {
            const auto& c = seen.form->controls;
            std::string sent = seen.completedPacket31
                                   ? std::to_string((*seen.completedPacket31)[5]) + "/" +
                                         std::to_string((*seen.completedPacket31)[6])
                                   : "nothing";
            report(f, "CONCLUIDA without the captured values on the wire",
                   "captured " + c.text("Label89") + "/" + c.text("Label90") + ", sent " + sent);
        }
    }
    void after(const Seen& seen, Findings& f) override {
        if (seen.tps == TpsPhase::None || seen.tpsUploadDone) {
            return;
        }
        for (const char* name : {"Button3", "btnLerDados", "btnEnvia"}) {
            if (clickable(seen.form->controls, name)) {
                report(f, std::string(name) + " clickable during TPS " + phaseName(seen));
            }
        }
    }
};

class FormInvariant : public Invariant {
public:
    FormInvariant(std::string name, FormCheck check)
        : Invariant(std::move(name)), check_(std::move(check)) {}
    void after(const Seen& seen, Findings& f) override { run(seen, f); }
    void atEnd(const Seen& seen, Findings& f) override { run(seen, f); }

private:
    void run(const Seen& seen, Findings& f) const {
        if (auto wrong = check_(*seen.form)) {
            report(f, name(), std::move(*wrong));
        }
    }
    FormCheck check_;
};

} // namespace

std::unique_ptr<Invariant> formInvariant(std::string name, FormCheck check) {
    return std::make_unique<FormInvariant>(std::move(name), std::move(check));
}

std::vector<std::unique_ptr<Invariant>> builtInInvariants() {
    std::vector<std::unique_ptr<Invariant>> all;
    all.push_back(std::make_unique<WholeUploads>());
    all.push_back(std::make_unique<NoInterleaving>());
    all.push_back(std::make_unique<NoPercentOut>());
    all.push_back(std::make_unique<NoTrap>());
    all.push_back(std::make_unique<TpsOwnsThePort>());
    // (d): nobody but the event boundary writes a state that follows from what runs.
    all.push_back(formInvariant("d: control state differs from the activity's",
                                [](const Form& form) -> std::optional<std::string> {
                                    for (const auto& d : controlStates(form.activity)) {
                                        const auto& c = form.controls.get(d.control);
                                        const bool now =
                                            d.property == DerivedState::Property::Enabled
                                                ? c.enabled
                                            : d.property == DerivedState::Property::Visible
                                                ? c.visible
                                                : c.tabVisible;
                                        if (now != d.value) {
                                            return std::string(d.control);
                                        }
                                    }
                                    return std::nullopt;
                                }));
    // (h): the module check has the port and the configuration to itself.
    all.push_back(formInvariant("h: an operation can start during the module check",
                                [](const Form& form) -> std::optional<std::string> {
                                    if (!form.activity.checking()) {
                                        return std::nullopt;
                                    }
                                    for (const char* name :
                                         {"btnLerDados", "Button6", "btnEnvia", "Button8",
                                          "Button3", "btnDesativar", "btnConfigurarTps"}) {
                                        if (clickable(form.controls, name)) {
                                            return std::string(name);
                                        }
                                    }
                                    return std::nullopt;
                                }));
    return all;
}

} // namespace orvel::test::seq
