#pragma once

#include "core/manual_clock.h"
#include "core/platform.h"
#include "form/form.h"
#include "model/config.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Minimal fakes for the fuzz targets: libFuzzer binaries link no test framework.
namespace orvel::fuzz {

// Stops the run with a message libFuzzer shows beside the crash input.
[[noreturn]] inline void violated(const char* what) {
    std::fprintf(stderr, "\nINVARIANT VIOLATED: %s\n", what);
    std::fflush(stderr);
    __builtin_trap();
}

inline void require(bool condition, const char* what) {
    if (!condition) {
        violated(what);
    }
}

// A port that is always there and swallows every write, handing each one to a checker.
class SinkLink : public SerialLink, public PortProber {
public:
    void open(const std::string&) override { open_ = true; }
    void close() override { open_ = false; }
    [[nodiscard]] bool isOpen() const override { return open_; }
    void write(std::span<const std::uint8_t> bytes) override {
        require(open_, "write on a closed port");
        if (onWrite) {
            onWrite(bytes);
        }
        ++writes;
    }
    [[nodiscard]] bool probe(const std::string& name) override { return name == "COM1"; }

    // Bytes from the module; a closed port hears nothing.
    void feed(std::span<const std::uint8_t> bytes) {
        if (open_ && onReceived) {
            onReceived(bytes);
        }
    }

    std::function<void(std::span<const std::uint8_t>)> onWrite;
    int writes = 0;

private:
    bool open_ = false;
};

// Presses OK on every box; the open dialog offers `openName` when set.
class AcceptingDialogs : public Dialogs {
public:
    void message(const std::string&) override { ++messages; }
    void error(const std::string& text) override {
        ++errors;
        lastError = text;
    }
    std::optional<std::string> saveFileName(const FileDialogOptions&) override { return saveName; }
    std::optional<std::string> openFileName(const FileDialogOptions&) override { return openName; }

    int messages = 0;
    int errors = 0;
    std::string lastError;
    std::optional<std::string> saveName;
    std::optional<std::string> openName;
};

// A whole headless core on a manual clock, built once per process: building one
// costs many times a run. reset() puts it back where create() left it, restoring
// only the controls that changed, so a run pays for what it touched.
class Core {
public:
    Core() : form(link, link, clock, dialogs) {
        form.create();
        for (const auto& p : config::fileOrder()) {
            fieldTexts_.push_back(&form.controls.text(p.key));
        }
        initialControls_ = form.controls;
        initialState_ = form.state;
        initialActivity_ = form.activity;
        for (const Timer* t : timers()) {
            initialTimers_.push_back(t->interval());
        }
        form.controls.setObserver([this](const std::string& name, Prop prop) {
            changed_.insert(&name); // the store's own key, which stays put
            if (onChange) {
                onChange(name, prop);
            }
        });
    }
    ~Core() { form.controls.setObserver(nullptr); }
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    // Closes the port, stops the timers and brings every control, the shared
    // state and the timers' settings back. Subsystems keep no state of their own
    // beyond what the port's opening clears (the receiver's pending bytes).
    void reset() {
        link.onWrite = nullptr;
        onChange = nullptr;
        form.close();
        restoring_.swap(changed_);
        for (const std::string* name : restoring_.members()) {
            restore(*name);
        }
        restoring_.clear();
        changed_.clear();
        form.controls.noteFocus(initialControls_.focused());
        form.state = initialState_;
        form.activity = initialActivity_;
        const auto all = timers();
        for (std::size_t i = 0; i < all.size(); ++i) {
            all[i]->setEnabled(false);
            all[i]->setInterval(initialTimers_[i]);
        }
        dialogs = AcceptingDialogs{};
        link.writes = 0;
        // The fields are back, so the history starts again from them; its steps
        // would otherwise pile up over the runs.
        if (form.history.stack().count() > 0) {
            form.history.stack().clear();
            form.history.rebase();
        }
    }

    // The configuration fields' texts in map-file order, read in place: controls
    // are never added or removed, so they stay where they are.
    [[nodiscard]] const std::vector<const std::string*>& fieldTexts() const { return fieldTexts_; }

    // Told of every change to a control while a run goes on.
    std::function<void(const std::string&, Prop)> onChange;

    ManualClock clock;
    SinkLink link;
    AcceptingDialogs dialogs;
    Form form;

private:
    [[nodiscard]] std::array<Timer*, 4> timers() const {
        return {form.timer1.get(), form.timer2.get(), form.timerTps.get(),
                form.downloadTimeout.get()};
    }

    // Sets only what differs: a setter looks the control up again.
    void restore(const std::string& name) {
        const ControlState& was = initialControls_.get(name);
        const ControlState& now = form.controls.get(name);
        auto& store = form.controls;
        if (now.text != was.text) {
            store.setText(name, was.text);
        }
        if (now.enabled != was.enabled) {
            store.setEnabled(name, was.enabled);
        }
        if (now.visible != was.visible) {
            store.setVisible(name, was.visible);
        }
        if (now.textColor != was.textColor) {
            store.setTextColor(name, was.textColor);
        }
        if (now.color != was.color) {
            store.setColor(name, was.color);
        }
        if (now.tag != was.tag) {
            store.setTag(name, was.tag);
        }
        if (now.items != was.items) {
            store.setItems(name, was.items);
        }
        if (now.min != was.min || now.max != was.max) {
            store.setRange(name, was.min, was.max);
        }
        if (now.position != was.position) {
            store.setPosition(name, was.position);
        }
        if (now.tabVisible != was.tabVisible) {
            store.setTabVisible(name, was.tabVisible);
        }
    }

    std::vector<const std::string*> fieldTexts_;
    ControlStore initialControls_;
    FormState initialState_;
    Activity initialActivity_;
    std::vector<int> initialTimers_; // intervals
    // The controls changed since the last reset: a set that allocates nothing
    // after the first runs (a control changes many times in a run).
    class NameSet {
    public:
        NameSet() : slots_(kSlots, nullptr) {}
        void insert(const std::string* name) {
            auto i = std::hash<const void*>{}(name) % kSlots;
            while (slots_[i] != nullptr && slots_[i] != name) {
                i = (i + 1) % kSlots;
            }
            if (slots_[i] == nullptr) {
                require(members_.size() < kSlots / 2, "more controls than the changed set holds");
                slots_[i] = name;
                members_.push_back(name);
            }
        }
        [[nodiscard]] const std::vector<const std::string*>& members() const { return members_; }
        void clear() {
            std::fill(slots_.begin(), slots_.end(), nullptr);
            members_.clear();
        }
        void swap(NameSet& other) noexcept {
            slots_.swap(other.slots_);
            members_.swap(other.members_);
        }

    private:
        static constexpr std::size_t kSlots = 4096; // well above the window's controls
        std::vector<const std::string*> slots_;
        std::vector<const std::string*> members_;
    };
    NameSet changed_;
    NameSet restoring_;
};

// Puts the core back when a run ends, so that whatever the run allocated is freed
// within it (libFuzzer takes a run that keeps memory for a leak and runs it again).
class ResetAfterRun {
public:
    explicit ResetAfterRun(Core& core) : core_(core) {}
    ~ResetAfterRun() { core_.reset(); }
    ResetAfterRun(const ResetAfterRun&) = delete;
    ResetAfterRun& operator=(const ResetAfterRun&) = delete;

private:
    Core& core_;
};

} // namespace orvel::fuzz
