#include "support/sequence_run.h"

#include "core/manual_clock.h"
#include "support/fake_link.h"
#include "support/sequence_generator.h"
#include "support/sequence_module.h"

#include <algorithm>
#include <exception>
#include <set>
#include <system_error>

namespace orvel::test::seq {

namespace {

// The fake port, telling the run what is written and when it closes.
class ModuleLink : public FakeLink {
public:
    void write(std::span<const std::uint8_t> bytes) override {
        FakeLink::write(bytes);
        if (onWrite) {
            onWrite(bytes);
        }
    }
    void close() override {
        const bool wasOpen = isOpen();
        FakeLink::close();
        if (wasOpen && onClose) {
            onClose();
        }
    }
    std::function<void(std::span<const std::uint8_t>)> onWrite;
    std::function<void()> onClose;
};

constexpr std::int64_t kSettleMs = 15000;

// One sequence over a fresh core. The run is its modal boxes too: each box
// takes the events that come while it is open.
class Run : public Dialogs {
public:
    Run(RunSetup& setup, Source& source, const ModulePlan& plan, const RunOptions& options)
        : setup_(setup), source_(source), options_(options), plan_(plan), module_(plan),
          form_(link_, link_, clock_, *this) {
        for (auto& inv : setup_.invariants) {
            inv->reset();
        }
        seen_.form = &form_;
        link_.onWrite = [this](std::span<const std::uint8_t> bytes) { wrote(bytes); };
        link_.onClose = [this] {
            seen_.linkClosed();
            pending_.clear(); // what was on its way is lost with the port
        };
        guarded("create", [this] { form_.create(); });
        // The fake's ports are in no system list: the user types the name.
        form_.controls.setText("cbPorta", "COM1");
    }

    RunResult go() {
        // A file an earlier run saved would make "Carregar" load something else.
        std::error_code ignored;
        std::filesystem::remove(setup_.folder / "map.txt", ignored);
        while (!stopped()) {
            const auto e = source_.next(form_, false);
            if (!e) {
                break;
            }
            findings_.actionStarts();
            apply(*e);
        }
        if (!stopped()) {
            settle();
        }
        result_.violations = findings_.all();
        return std::move(result_);
    }

    void message(const std::string& text) override { box(text, "box"); }
    void error(const std::string& text) override { box(text, "error box"); }
    std::optional<std::string> saveFileName(const FileDialogOptions&) override {
        for (auto& inv : setup_.invariants) {
            inv->saveDialog(seen_, findings_);
        }
        return file("save");
    }
    std::optional<std::string> openFileName(const FileDialogOptions&) override {
        return file("open");
    }

private:
    template <typename F> void guarded(const char* where, F&& call) {
        try {
            call();
        } catch (const std::exception& e) {
            findings_.report("f", std::string("exception escaped ") + where, e.what());
        } catch (...) {
            findings_.report("f", std::string("exception escaped ") + where, "not std::exception");
        }
    }

    [[nodiscard]] bool stopped() const {
        return !options_.stopAt.empty() && findings_.has(options_.stopAt);
    }

    void note(const std::string& line, int extraIndent = 0) {
        if (options_.trace) {
            result_.trace.push_back(
                std::string(static_cast<std::size_t>(2 * (depth_ + extraIndent)), ' ') +
                "t=" + std::to_string(clock_.now()) + "ms " + line);
        }
    }

    void apply(const Event& e) {
        using Kind = Event::Kind;
        ++result_.events;
        std::string_view target;
        if (e.kind == Kind::Click) {
            target = kButtons[e.what % kButtons.size()];
        } else if (e.kind == Kind::Type) {
            target = kTypedFields[e.what % kTypedFields.size()].name;
        } else if (e.kind == Kind::KeyPress) {
            target = "cbCilindros";
        } else if (e.kind == Kind::DropDown) {
            target = "cbPorta";
        }
        // The page's button follows the activity as the window shows it.
        const bool reachable = e.kind == Kind::CheckModule
                                   ? pageStates(form_.activity).checkModule
                                   : target.empty() || clickable(form_.controls, target);
        if (e.kind != Kind::CloseBox) {
            note(describe(e) + (reachable ? "" : " (not reachable: nothing happens)"));
        }
        if (!reachable) {
            afterEvent();
            return;
        }
        switch (e.kind) {
        case Kind::Click:
            guarded("click", [&] { seen_.clicked(target, form_.click(target)); });
            break;
        case Kind::Type:
            guarded("typing", [&] {
                const auto& f = kTypedFields[e.what % kTypedFields.size()];
                form_.typing(f.name);
                form_.controls.setText(f.name,
                                       std::string(f.texts[static_cast<std::size_t>(e.value) % 4]));
                form_.exit(f.name);
            });
            break;
        case Kind::KeyPress:
            guarded("key press", [&] { form_.keyPress(target); });
            break;
        case Kind::DropDown:
            guarded("drop-down", [&] { form_.dropDown(target); });
            break;
        case Kind::Tick:
            advance(e.value);
            break;
        case Kind::Stray:
            if (link_.isOpen()) {
                const auto bytes = strayBytes(plan_, static_cast<Stray>(e.what % kStrays), e.value);
                guarded("receive", [&] { link_.feed(bytes); });
            }
            break;
        case Kind::Unplug: {
            const std::string name = link_.isOpen() ? link_.openName : "COM1";
            link_.openable.erase(name);
            unplugged_.insert(name);
            if (link_.isOpen()) {
                guarded("port failure", [&] { link_.unplug(); });
            }
            break;
        }
        case Kind::Replug:
            link_.openable.insert(unplugged_.begin(), unplugged_.end());
            unplugged_.clear();
            break;
        case Kind::ReplayStart:
            guarded("replay", [&] {
                form_.dispatch([this] { form_.replay.start(setup_.recording); });
                if (e.value != 0 && form_.replay.active()) {
                    form_.dispatch([this] { form_.replay.play(); });
                }
            });
            break;
        case Kind::ReplayStop:
            guarded("replay", [&] { form_.dispatch([this] { form_.replay.end(); }); });
            break;
        case Kind::CheckModule:
            guarded("check", [&] { form_.dispatch([this] { form_.moduleCheck.start(); }); });
            break;
        case Kind::File:
        case Kind::CloseBox:
            break; // outside a dialog: nothing to answer
        }
        afterEvent();
    }

    void afterEvent() {
        deliverDue();
        observe();
    }

    void observe() {
        seen_.tick(clock_.now());
        for (auto& inv : setup_.invariants) {
            inv->after(seen_, findings_);
        }
        if (options_.onState) {
            options_.onState(observableState(seen_));
        }
    }

    // Time passes tick by tick, the module's answers arriving between the ticks.
    void advance(std::int64_t ms) {
        const std::int64_t target = clock_.now() + ms;
        while (!stopped()) {
            deliverDue();
            const std::int64_t now = clock_.now();
            if (now >= target) {
                break;
            }
            std::int64_t limit = target - now;
            for (const auto& d : pending_) {
                limit = std::min(limit, d.at - now);
            }
            limit = std::max<std::int64_t>(limit, 1);
            bool fired = false;
            guarded("timer", [&] { fired = clock_.fireNext(limit); });
            if (!fired) {
                clock_.advance(limit);
            }
            observe();
        }
    }

    void deliverDue() {
        while (!pending_.empty()) {
            const auto it =
                std::min_element(pending_.begin(), pending_.end(),
                                 [](const Delivery& a, const Delivery& b) { return a.at < b.at; });
            if (it->at > clock_.now()) {
                return;
            }
            const Delivery d = std::move(*it);
            pending_.erase(it);
            if (link_.isOpen()) {
                guarded("receive", [&] { link_.feed(d.bytes); });
                observe();
            }
        }
    }

    void wrote(std::span<const std::uint8_t> bytes) {
        seen_.tick(clock_.now());
        for (auto& inv : setup_.invariants) {
            inv->wrote(seen_, bytes, findings_);
        }
        seen_.wrote(bytes);
        const std::string did = module_.heard(bytes, clock_.now(), pending_);
        if (!did.empty()) {
            note(did, 1);
        }
    }

    void box(const std::string& text, const char* kind) {
        result_.boxes.push_back(text);
        findings_.boxShown(text);
        note(std::string(kind) + " \"" + text.substr(0, 70) + "\"", 1);
        for (auto& inv : setup_.invariants) {
            inv->boxShown(seen_, text, findings_);
        }
        seen_.boxShown(text);
        if (!settling_ && !stopped()) {
            source_.boxOpened(depth_);
            depth_ += 2;
            int inside = 0;
            while (!stopped()) {
                const auto e = source_.next(form_, true);
                if (!e || e->kind == Event::Kind::CloseBox) {
                    break;
                }
                ++inside;
                apply(*e);
            }
            if (inside > 0) {
                note("OK");
            }
            depth_ -= 2;
        }
        seen_.boxClosed(text);
    }

    std::optional<std::string> file(const char* which) {
        const auto e = settling_ || stopped() ? std::nullopt : source_.fileAnswer();
        const bool chosen = e && e->value != 0;
        note(std::string(which) + " dialog: " + (chosen ? "map.txt in the temp folder" : "cancel"),
             1);
        if (!chosen) {
            return std::nullopt;
        }
        return (setup_.folder / "map.txt").string();
    }

    // The user leaves the window alone with a silent module, then leaves the
    // modes they can leave.
    void settle() {
        settling_ = true;
        findings_.actionStarts();
        module_.silent = true;
        pending_.clear();
        note("module goes silent; the window is left alone for 15 s");
        advance(kSettleMs);
        if (form_.replay.active()) {
            note("end the replay");
            guarded("replay", [&] { form_.dispatch([this] { form_.replay.end(); }); });
        }
        // A text the way back to milliseconds cannot read is the user's to mend,
        // as the focus shows them; they mend it and try again.
        for (int attempt = 0; attempt < 3 && clickable(form_.controls, "btnVoltarTelaPrincipal");
             ++attempt) {
            note("click btnVoltarTelaPrincipal");
            guarded("click", [&] { form_.click("btnVoltarTelaPrincipal"); });
            const std::string field = form_.controls.focused();
            if (form_.controls.visible("GroupBox10") && form_.controls.has(field)) {
                const std::string mended = field == "cbCilindros" ? "4" : "3,5";
                note("mend the text of " + field + " to \"" + mended + "\"");
                form_.controls.setText(field, mended);
            }
        }
        advance(1000);
        seen_.tick(clock_.now());
        for (auto& inv : setup_.invariants) {
            inv->atEnd(seen_, findings_);
        }
    }

    RunSetup& setup_;
    Source& source_;
    const RunOptions& options_;
    const ModulePlan& plan_;
    ManualClock clock_;
    ModuleLink link_;
    Module module_;
    Findings findings_;
    Seen seen_;
    std::vector<Delivery> pending_;
    std::set<std::string> unplugged_;
    RunResult result_;
    int depth_ = 0;
    bool settling_ = false;
    Form form_; // last: it goes first, while what it uses is still there
};

} // namespace

RunResult runSequence(RunSetup& setup, Source& source, const ModulePlan& plan,
                      const RunOptions& options) {
    return Run(setup, source, plan, options).go();
}

} // namespace orvel::test::seq
