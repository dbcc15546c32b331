#include "support/sequence_generator.h"

#include "support/sequence_invariants.h"

#include <algorithm>

namespace orvel::test::seq {

namespace {

Event click(std::string_view button) {
    const auto at = std::find(kButtons.begin(), kButtons.end(), button) - kButtons.begin();
    return {Event::Kind::Click, static_cast<std::uint8_t>(at), 0};
}

} // namespace

std::optional<Event> ListSource::next(const Form&, bool) {
    if (at_ == events_.size()) {
        return std::nullopt;
    }
    return events_[at_++];
}

std::optional<Event> ListSource::fileAnswer() {
    if (at_ < events_.size() && events_[at_].kind == Event::Kind::File) {
        return events_[at_++];
    }
    return std::nullopt;
}

RandomSource::RandomSource(std::uint64_t seed) : rng_(seed) {
    sequence_.seed = seed;
    // The TPS procedure and much else need an open port and a whole read first.
    const bool readFirst = below(2) == 0;
    if (readFirst) {
        prefix_ = {click("btnAtivar"), click("btnLerDados")};
        if (below(4) == 0) {
            prefix_.push_back(click("btnAlterarMapas"));
        }
        std::reverse(prefix_.begin(), prefix_.end());
    }
    topLeft_ = between(20, 80);

    auto& m = sequence_.module;
    for (int i = 0; i < 4; ++i) {
        ReadAnswer a;
        const int r = below(100);
        a.mode = r < 40   ? ReadAnswer::Mode::AtOnce
                 : r < 65 ? ReadAnswer::Mode::Late
                 : r < 90 ? ReadAnswer::Mode::Chunks
                          : ReadAnswer::Mode::Never;
        a.delayMs = a.mode == ReadAnswer::Mode::Late ? between(100, 4500) : between(0, 500);
        a.chunks = between(2, 6);
        a.chunkGapMs = between(20, 800);
        a.lostByte = below(20) == 0 ? below(312) : -1;
        m.reads.push_back(a);
    }
    if (readFirst) {
        m.reads[0] = ReadAnswer{};
    }
    for (int i = 0; i < 12; ++i) {
        PollAnswer a;
        a.answered = below(100) < 92;
        a.delayMs = between(5, 80);
        a.tpsRaw = below(100) < 85 ? between(40, 250) : between(256, 900);
        a.lostByte = below(30) == 0 ? below(36) : -1;
        m.polls.push_back(a);
    }
    m.closedValue = static_cast<std::uint8_t>(between(60, 200));
    m.openValue = static_cast<std::uint8_t>(between(150, 250));
}

std::optional<Event> RandomSource::next(const Form& form, bool inBox) {
    if (inBox) {
        if (boxLeft_.empty() || boxLeft_.back() == 0) {
            if (!boxLeft_.empty()) {
                boxLeft_.pop_back();
            }
            return record({Event::Kind::CloseBox, 0, 0});
        }
        --boxLeft_.back();
        return record(draw(form));
    }
    if (!prefix_.empty()) {
        const Event e = prefix_.back();
        prefix_.pop_back();
        --topLeft_;
        return record(e);
    }
    if (topLeft_ <= 0) {
        return std::nullopt;
    }
    --topLeft_;
    return record(draw(form));
}

void RandomSource::boxOpened(int depth) {
    // Mostly answered at once; sometimes the user and the module go on meanwhile.
    const int r = below(100);
    const int events = r < 35 ? 0 : r < 65 ? 1 : r < 85 ? 2 : r < 95 ? 3 : 4;
    boxLeft_.push_back(depth >= kMaxBoxDepth ? 0 : events);
}

std::optional<Event> RandomSource::fileAnswer() {
    return record({Event::Kind::File, 0, below(2)});
}

Event RandomSource::draw(const Form& form) {
    using Kind = Event::Kind;
    const int r = below(100);
    if (r < 45) {
        // The file buttons and Alterar, clickable most of the time and slow,
        // would crowd out the rest.
        auto weight = [](std::string_view b) {
            return b == "btnSalvar" || b == "Button1" || b == "btnCarregar" || b == "Button2" ||
                           b == "btnAlterar"
                       ? 1
                       : 4;
        };
        std::vector<std::uint8_t> can;
        for (std::size_t i = 0; i < kButtons.size(); ++i) {
            if (clickable(form.controls, kButtons[i])) {
                can.insert(can.end(), static_cast<std::size_t>(weight(kButtons[i])),
                           static_cast<std::uint8_t>(i));
            }
        }
        const bool any = can.empty() || below(5) == 0;
        const auto button =
            any ? static_cast<std::uint8_t>(below(static_cast<int>(kButtons.size())))
                : can[static_cast<std::size_t>(below(static_cast<int>(can.size())))];
        return {Kind::Click, button, 0};
    }
    if (r < 75) {
        const int size = below(10);
        const int ms = size < 5   ? between(1, 100)
                       : size < 8 ? between(100, 1000)
                                  : between(1000, 3000);
        return {Kind::Tick, 0, ms};
    }
    if (r < 81) {
        return {Kind::Type, static_cast<std::uint8_t>(below(static_cast<int>(kTypedFields.size()))),
                below(4)};
    }
    if (r < 87) {
        const int raw = below(100) < 85 ? between(40, 250) : between(256, 900);
        return {Kind::Stray, static_cast<std::uint8_t>(below(kStrays)), raw};
    }
    switch (r) {
    case 87:
        return {Kind::KeyPress, 0, 0};
    case 88:
        // Listing the ports looks at every device file: seldom.
        return below(4) == 0 ? Event{Kind::DropDown, 0, 0} : Event{Kind::Tick, 0, between(1, 50)};
    case 89:
        return {Kind::Tick, 0, between(1, 50)};
    case 90:
    case 91:
        return {Kind::Unplug, 0, 0};
    case 92:
    case 93:
    case 94:
        return {Kind::Replug, 0, 0};
    case 95:
    case 96:
        return {Kind::ReplayStart, 0, below(2)};
    case 97:
        return {Kind::ReplayStop, 0, 0};
    case 98:
        return {Kind::CheckModule, 0, 0};
    default:
        return {Kind::Tick, 0, between(1, 50)};
    }
}

std::string describe(const ReadAnswer& a) {
    const std::string lost = a.lostByte >= 0 ? ", losing byte " + std::to_string(a.lostByte) : "";
    switch (a.mode) {
    case ReadAnswer::Mode::AtOnce:
        return "answers the read at once" + lost;
    case ReadAnswer::Mode::Late:
        return "answers the read after " + std::to_string(a.delayMs) + " ms" + lost;
    case ReadAnswer::Mode::Chunks:
        return "answers the read in " + std::to_string(a.chunks) + " chunks from " +
               std::to_string(a.delayMs) + " ms, " + std::to_string(a.chunkGapMs) + " ms apart" +
               lost;
    case ReadAnswer::Mode::Never:
        break;
    }
    return "never answers the read";
}

std::string describe(const Event& e) {
    using Kind = Event::Kind;
    switch (e.kind) {
    case Kind::Click:
        return "click " + std::string(kButtons[e.what % kButtons.size()]);
    case Kind::Type: {
        const auto& f = kTypedFields[e.what % kTypedFields.size()];
        return "type \"" + std::string(f.texts[static_cast<std::size_t>(e.value) % 4]) +
               "\" into " + std::string(f.name) + " and leave it";
    }
    case Kind::KeyPress:
        return "key press in cbCilindros";
    case Kind::DropDown:
        return "open the cbPorta list";
    case Kind::Tick:
        return "wait " + std::to_string(e.value) + " ms";
    case Kind::Stray: {
        static constexpr const char* kNames[] = {"a lone frame 1", "a lone frame 26", "a frame 29",
                                                 "frames 29, 30, 31", "a broken frame"};
        return std::string("module sends ") + kNames[e.what % kStrays] +
               (e.what == 2 || e.what == 3 ? " (TPS " + std::to_string(e.value) + ")" : "");
    }
    case Kind::Unplug:
        return "pull the adapter out";
    case Kind::Replug:
        return "put the adapter back";
    case Kind::ReplayStart:
        return e.value != 0 ? "start a replay and play it" : "start a replay";
    case Kind::ReplayStop:
        return "end the replay";
    case Kind::File:
        return e.value != 0 ? "file dialog: a file in the temp folder" : "file dialog: cancel";
    case Kind::CloseBox:
        return "OK";
    case Kind::CheckModule:
        return "click Conferir módulo";
    }
    return "?";
}

} // namespace orvel::test::seq
