// Hostile bytes from the module into a whole core, in any transfer state.
//
// Input: six header bytes, then the byte stream.
//   h0 % 5  the state the bytes arrive in: idle, download requested, upload
//           running, scanner on, TPS calibration running
//   h1..h3  notification sizes, 1..40 bytes, used in turn
//   h4      milliseconds the clock moves after each notification (timers fire)
//   h5      0, or a click every 1 + h5 % 8 notifications: scanner, read, send,
//           close and open the port, in an order set by h5 / 8
//
// Checked after every notification: the configuration fields hold exactly what
// an independent model of the download makes of the recognised frames that a
// read or an idle window takes (so a field changes only through a frame of its id), the receiver
// holds the bytes the documented grouping leaves over (always fewer than 12), the progress bars
// show the last group's id, and every message written to the port is a known
// command or a packet whose bytes are its fields' numbers. At the end a dry run
// of all 32 packets is refused or exact.
#include "checked_configurations.h"
#include "fuzz_support.h"
#include "packet_oracle.h"

#include "link/frames.h"
#include "model/config.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvel::fuzz {
namespace {

enum class Start { Idle, DownloadRequested, UploadRunning, ScannerOn, TpsCalibration };
constexpr int kStarts = 5;
constexpr std::size_t kHeader = 6;
// Clicks the user may make while bytes come in.
constexpr std::array<const char*, 6> kClicks{"Button3",      "btnLerDados", "btnEnvia",
                                             "btnDesativar", "btnAtivar",   "Button3"};
constexpr std::size_t kMaxNotification = 40;

// The configuration fields' texts in map-file order.
using Fields = std::vector<std::string>;

class FieldIndex {
public:
    FieldIndex() {
        for (const auto& p : config::fileOrder()) {
            index_.emplace(std::string(p.key), index_.size());
        }
    }
    [[nodiscard]] std::size_t operator()(const std::string& key) const { return index_.at(key); }
    [[nodiscard]] std::optional<std::size_t> find(const std::string& key) const {
        const auto it = index_.find(key);
        return it == index_.end() ? std::nullopt : std::optional(it->second);
    }

private:
    std::unordered_map<std::string, std::size_t> index_;
};

// The expected texts, written by key, beside the fields' texts in the store. A
// field is compared again when either side wrote it since the last comparison;
// the others cannot differ, so each check costs what changed, not all 197 fields.
class Expected {
public:
    Expected(const FieldIndex& index, const Core& core)
        : index_(index), actual_(core.fieldTexts()) {
        fields_.reserve(actual_.size());
        for (const std::string* text : actual_) {
            fields_.push_back(*text);
        }
        dirty_.assign(fields_.size(), false);
    }
    std::string& operator[](const std::string& key) {
        const std::size_t i = index_(key);
        markDirty(i);
        return fields_[i];
    }
    // The store changed a control's text.
    void storeWrote(const std::string& key) {
        if (const auto i = index_.find(key)) {
            markDirty(*i);
        }
    }
    // Whether every field written since the last call holds its expected text.
    [[nodiscard]] bool changedFieldsMatch() {
        bool same = true;
        for (const std::size_t i : written_) {
            same = same && *actual_[i] == fields_[i];
            dirty_[i] = false;
        }
        written_.clear();
        return same;
    }
    [[nodiscard]] bool allFieldsMatch() const {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (*actual_[i] != fields_[i]) {
                return false;
            }
        }
        return true;
    }

private:
    void markDirty(std::size_t i) {
        if (!dirty_[i]) {
            dirty_[i] = true;
            written_.push_back(i);
        }
    }

    const FieldIndex& index_;
    const std::vector<const std::string*>& actual_;
    Fields fields_;
    std::vector<bool> dirty_;
    std::vector<std::size_t> written_;
};

// The download's texts, written independently of the number formatter.
std::string whole(int value) {
    return std::to_string(value);
}
std::string tenths(int value) {
    return std::to_string(value / 10) + "," + std::to_string(value % 10);
}
int signedByte(std::uint8_t b) {
    return b < 128 ? b : b - 256;
}

void setChoice(Expected& f, const std::string& key, int code,
               std::initializer_list<std::pair<int, const char*>> items) {
    for (const auto& [itemCode, text] : items) {
        if (itemCode == code) {
            f[key] = text;
        }
    }
}

// The names of the map and correction fields, spelled once.
struct MapKeys {
    MapKeys() {
        static constexpr const char* rows[] = {"eCorrecaoTi", "eCorrecaoIg", "eCorrecaoMl"};
        for (int n = 0; n < 72; ++n) {
            ignition.push_back("e" + whole(n));
            injection.push_back("e" + whole(n) + "i");
        }
        for (const char* row : rows) {
            for (int i = 0; i < 8; ++i) {
                correction.push_back(row + whole(15 * i));
            }
        }
    }
    std::vector<std::string> ignition, injection, correction;
};

// What frame `id` with data d does to the configuration fields.
void applyFrame(Expected& f, int id, const std::array<std::uint8_t, 8>& d, bool& layoutSeen) {
    static const MapKeys keys;
    const auto at = [](int row, int i) { return static_cast<std::size_t>(8 * row + i); };
    if (id >= 1 && id <= 9) {
        for (int i = 0; i < 8; ++i) {
            f[keys.ignition[at(id - 1, i)]] = whole(d[i]);
        }
    } else if (id >= 10 && id <= 18) {
        for (int i = 0; i < 8; ++i) {
            f[keys.injection[at(id - 10, i)]] = tenths(d[i]);
        }
    } else if (id >= 19 && id <= 21) {
        for (int i = 0; i < 8; ++i) {
            f[keys.correction[at(id - 19, i)]] = whole(signedByte(d[i]));
        }
    } else if (id == 22) {
        static constexpr const char* atm[] = {"eAtm820", "eAtm880", "eAtm940", "eAtm1000"};
        for (int i = 0; i < 4; ++i) {
            f[atm[i]] = whole(signedByte(d[i]));
        }
        setChoice(f, "cbRapidaTpsxMap", d[4], {{5, "TPS"}, {10, "MAP"}});
        f["eBasico"] = tenths(d[5]);
        f["eGanho"] = whole(d[6]);
        f["eDecremento"] = whole(d[7]);
    } else if (id == 23) {
        setChoice(f, "cbSondaTipo", d[0], {{5, "Normal"}, {10, "Banda Larga (1)"}});
        setChoice(f, "cbSondaCorrecao", d[7], {{5, "TPS"}, {10, "MAP"}});
        setChoice(f, "cbSondaAtiva", d[2],
                  {{5, "Ativada"}, {10, "Desativada"}, {15, "Des em Marcha Lenta"}});
        f["eSondaTemp"] = whole(d[3]);
        f["eSondaLenta"] = whole(d[4] * 10);
        f["eSondaParcial"] = whole(d[5] * 10);
        f["eSondaPlena"] = whole(d[6] * 10);
    } else if (id == 24) {
        f["eDeslCutOff"] = whole(d[0] * 100);
        f["eLigaCutOff"] = whole(d[1] * 100);
        f["eLigaEletro"] = whole(d[2]);
        f["eDesligaEletro"] = whole(d[3]);
        f["emSCorrecaoEletro"] = tenths(d[4]);
        f["ePercEletro"] = whole(d[5]);
        f["emSAr"] = tenths(d[6]);
        f["ePercentualAr"] = whole(d[7]);
    } else if (id == 25) {
        setChoice(f, "cbTipoDistribuidor", d[1],
                  {{0, "Injetado"}, {5, "3+1 VW Mi"}, {10, "Carburado"}});
        f["cbCilindros"] = whole(d[0]);
        f["eLimiteRpm"] = whole(d[2] * 100);
        setChoice(f, "cbCombinacaoMapa", d[3], {{5, "TPS X RPM"}, {10, "MAP X RPM"}});
        f["eAvancoPartida"] = whole(d[4]);
        layoutSeen = true;
    }
}

// The documented grouping: every 12 bytes are one group; after a group that fits
// no layout the stream moves on to the next "H" "P" it holds (or a final lone "H"),
// or by the whole group when there is none.
class ShadowStream {
public:
    // Groups completed by these bytes: the frame, or nullopt for an unrecognised group.
    void feed(std::span<const std::uint8_t> bytes,
              std::vector<std::optional<frames::ModuleFrame>>& groups) {
        held_.insert(held_.end(), bytes.begin(), bytes.end());
        groups.clear();
        while (held_.size() >= frames::kFrameSize) {
            std::array<std::uint8_t, frames::kFrameSize> group{};
            std::copy_n(held_.begin(), frames::kFrameSize, group.begin());
            auto frame = frames::decodeGroup(group);
            std::size_t drop = frames::kFrameSize;
            if (!frame) {
                for (std::size_t at = 1; at < held_.size(); ++at) {
                    if (held_[at] == 'H' && (at + 1 == held_.size() || held_[at + 1] == 'P')) {
                        drop = at;
                        break;
                    }
                }
            }
            held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(drop));
            groups.push_back(frame);
        }
    }
    [[nodiscard]] std::size_t size() const { return held_.size(); }
    // Opening the port empties the pending bytes.
    void clear() { held_.clear(); }

private:
    std::deque<std::uint8_t> held_;
};

void enterState(Core& core, Start start) {
    auto& form = core.form;
    form.controls.setText("cbPorta", "COM1");
    require(form.click("btnAtivar") && core.link.isOpen(), "setup: the port did not open");
    switch (start) {
    case Start::Idle:
        break;
    case Start::DownloadRequested:
        require(form.click("btnLerDados"), "setup: Lêr Dados did not run");
        require(form.controls.visible("Panel1"), "setup: no download display");
        break;
    case Start::UploadRunning:
        require(form.click("btnEnvia"), "setup: Enviar Dados did not run");
        core.clock.advance(120); // a few packets are out
        require(form.timer2->enabled(), "setup: the upload is not running");
        break;
    case Start::ScannerOn:
        require(form.click("Button3"), "setup: the scanner did not start");
        require(form.activity.scanning(), "setup: the scanner is off");
        break;
    case Start::TpsCalibration: {
        // The calibration needs a configuration read first: its end frame enables it.
        const auto end = frames::encodeFrame({frames::kLastConfigurationId, {}});
        core.link.feed(end);
        require(form.click("btnConfigurarTps"), "setup: the TPS calibration did not start");
        core.clock.advance(500);
        require(form.activity.tps() != Activity::Tps::None,
                "setup: the TPS calibration is not running");
        break;
    }
    }
}

void run(const std::uint8_t* data, std::size_t size) {
    if (size < kHeader) {
        return;
    }
    const auto start = static_cast<Start>(data[0] % kStarts);
    const std::array<std::size_t, 3> sizes{1 + data[1] % kMaxNotification,
                                           1 + data[2] % kMaxNotification,
                                           1 + data[3] % kMaxNotification};
    const int tickMs = data[4];
    const int clickEvery = data[5] == 0 ? 0 : 1 + data[5] % 8;

    static Core core;
    const ResetAfterRun resetAfterRun(core);
    auto& form = core.form;
    core.link.onWrite = [](std::span<const std::uint8_t> bytes) { checkWrite(core.form, bytes); };
    enterState(core, start);

    static const FieldIndex index;
    Expected expected(index, core);
    core.onChange = [&expected](const std::string& name, Prop prop) {
        if (prop == Prop::Text) {
            expected.storeWrote(name);
        }
    };
    ShadowStream shadow;
    static std::vector<std::optional<frames::ModuleFrame>> groups; // kept: no allocation per run
    int tpsClosed = form.state.tpsClosedValue;
    int tpsOpen = form.state.tpsOpenValue;
    // The calibration takes the end points from scanner frames as well.
    const bool tpsFromFramesOnly = start != Start::TpsCalibration;

    std::size_t at = kHeader;
    for (std::size_t n = 0; at < size; ++n) {
        const std::size_t length = std::min(sizes[n % sizes.size()], size - at);
        const std::span<const std::uint8_t> chunk(data + at, length);
        at += length;

        // A closed port delivers nothing.
        const bool portOpen = core.link.isOpen();
        groups.clear();
        if (portOpen) {
            shadow.feed(chunk, groups);
        }
        // Configuration frames count for a read, or when nothing else holds the
        // fields: an upload, the scanner, the TPS procedure.
        const auto& activity = form.activity;
        bool reading = activity.reading();
        const bool fieldsHeld =
            activity.uploading() || activity.scanning() || activity.tps() != Activity::Tps::None;
        for (const auto& frame : groups) {
            if (frame && frames::isConfigurationId(frame->id) && (reading || !fieldsHeld)) {
                if (frame->id == 1) {
                    reading = true;
                } else if (frame->id == frames::kLastConfigurationId) {
                    reading = false;
                }
                bool layout = false;
                applyFrame(expected, frame->id, frame->data, layout);
                if (layout) {
                    tpsClosed = frame->data[5];
                    const int open = frame->data[6];
                    tpsOpen = (open < 1 || open > 250 || open < tpsClosed / 4) ? tpsClosed : open;
                }
            }
        }
        form.state.frameReceived = false;
        const std::size_t heldBefore = form.receiver.pendingSize();
        core.link.feed(chunk);

        require(form.receiver.pendingSize() < frames::kFrameSize,
                "the receiver holds a whole group after a notification");
        require(form.receiver.pendingSize() == shadow.size(),
                "the receiver's pending bytes differ from the documented grouping");
        if (portOpen && heldBefore + length >= frames::kFrameSize) {
            require(form.state.frameReceived, "a group arrived but FrameReceived is not set");
        }
        if (!groups.empty()) {
            const int lastId = groups.back() ? groups.back()->id : 0;
            for (const char* bar : {"pbCarregando", "pbCarregando1"}) {
                const auto& c = form.controls.get(bar);
                require(c.position ==
                            std::clamp(lastId, std::min(c.min, c.max), std::max(c.min, c.max)),
                        "a progress bar does not show the last group's id");
            }
        }
        if (!expected.changedFieldsMatch()) {
            violated("a configuration field differs from what the recognised frames wrote");
        }
        if (tpsFromFramesOnly) {
            require(form.state.tpsClosedValue == tpsClosed && form.state.tpsOpenValue == tpsOpen,
                    "the TPS end points differ from the last frame 25");
        }
        core.clock.advance(tickMs);
        if (!expected.changedFieldsMatch()) {
            violated("a timer changed a configuration field");
        }
        if (clickEvery > 0 && (n + 1) % static_cast<std::size_t>(clickEvery) == 0) {
            const std::size_t turn = n / static_cast<std::size_t>(clickEvery) + data[5] / 8U;
            const bool wasOpen = core.link.isOpen();
            (void)form.click(kClicks[turn % kClicks.size()]);
            if (!wasOpen && core.link.isOpen()) {
                shadow.clear();
            }
            if (!expected.changedFieldsMatch()) {
                violated("a click changed a configuration field");
            }
        }
    }
    require(expected.allFieldsMatch(), "a configuration field differs at the end of the run");
    core.onChange = nullptr;
    static CheckedConfigurations checked;
    if (checked.isNew(core)) {
        dryRunUpload(form);
    }
}

} // namespace
} // namespace orvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvel::fuzz::run(data, size);
    return 0;
}
