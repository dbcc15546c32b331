#include "support/sequence_invariants.h"

#include "link/frames.h"

#include <algorithm>

// What a run sees and what it finds: the facts the invariants judge by, gathered
// from the controls, the wire and the boxes, and the violations they report.
namespace orvel::test::seq {

namespace {

bool carriesCapturedValues(const ControlStore& c, const std::array<std::uint8_t, 8>& packet31) {
    return std::to_string(packet31[5]) == c.text("Label89") &&
           std::to_string(packet31[6]) == c.text("Label90");
}

} // namespace

int packetOf(std::span<const std::uint8_t> bytes) {
    return bytes.size() == frames::kPacketSize ? bytes[0] : 0;
}

bool clickable(const ControlStore& controls, std::string_view name) {
    std::string_view at = name;
    for (int depth = 0; depth < 16 && !at.empty() && controls.has(at); ++depth) {
        const auto& c = controls.get(at);
        if (!c.visible || !c.enabled || (c.kind == ControlKind::TabSheet && !c.tabVisible)) {
            return false;
        }
        at = c.parent;
    }
    return true;
}

bool Seen::alterationMode() const {
    return form->controls.visible("GroupBox10");
}

bool Seen::percent() const {
    return form->controls.text("Label46") == kPercentLabel;
}

void Seen::wrote(std::span<const std::uint8_t> bytes) {
    if (const int n = packetOf(bytes)) {
        if (n == 1) {
            uploadOnWire = true;
            uploadRequested = false;
            nextPacket = 1;
        }
        if (!uploadOnWire) {
            return;
        }
        nextPacket = n + 1;
        lastPacketAt = now;
        if (n == 31) {
            std::copy(bytes.begin() + 1, bytes.end(), packet31.begin());
        }
        return;
    }
    if (frames::decodeCommand(bytes) == frames::Command::UploadEnd && uploadOnWire) {
        uploadOnWire = false;
        if (nextPacket != frames::kLastPacket + 1) {
            return;
        }
        completedPacket31 = packet31;
        if (tps != TpsPhase::None && carriesCapturedValues(form->controls, packet31)) {
            tpsUploadDone = tpsUploadBefore = true;
        }
    }
}

void Seen::clicked(std::string_view button, bool accepted) {
    if (accepted && (button == "btnEnvia" || button == "Button8")) {
        uploadRequested = true;
        requestedAt = now;
    }
}

void Seen::boxShown(const std::string& text) {
    lastBox = text;
    if (text.starts_with(kTpsFirstBox)) {
        tps = TpsPhase::FirstBox;
        tpsUploadDone = tpsUploadBefore = false;
    } else if (text.starts_with(kTpsOpenBox)) {
        tps = TpsPhase::OpenBox;
    } else if (text == kTpsCancelled || text.starts_with(kTpsDone)) {
        tps = TpsPhase::None;
        tpsUploadDone = tpsUploadBefore = false;
    }
}

void Seen::boxClosed(const std::string& text) {
    if (tps == TpsPhase::FirstBox && text.starts_with(kTpsFirstBox)) {
        tps = TpsPhase::Closed;
    } else if (tps == TpsPhase::OpenBox && text.starts_with(kTpsOpenBox)) {
        tps = TpsPhase::Open;
    }
}

void Seen::linkClosed() {
    linkOpen = false;
    uploadOnWire = uploadRequested = false;
    tps = TpsPhase::None;
    tpsUploadDone = false;
}

void Seen::tick(std::int64_t time) {
    now = time;
    linkOpen = form->link.isOpen();
    // A refused click sends nothing; a started upload sends packet 1 after 1 ms.
    if (uploadRequested && now - requestedAt > 200) {
        uploadRequested = false;
    }
}

void Findings::report(const std::string& invariant, std::string key, std::string detail) {
    for (const auto& v : found_) {
        if (v.invariant == invariant && v.key == key && v.cause == cause_) {
            return;
        }
    }
    found_.push_back({invariant, std::move(key), cause_, std::move(detail)});
}

bool Findings::has(std::string_view id) const {
    return std::any_of(found_.begin(), found_.end(), [&](const Violation& v) {
        return id == "*" || idOf(v) == id || variantOf(v) == id;
    });
}

std::uint32_t observableState(const Seen& seen) {
    const Activity& a = seen.form->activity;
    std::uint32_t s = 0;
    auto put = [&s](unsigned value, unsigned bits) { s = (s << bits) | value; };
    put(a.portOpen(), 1);
    put(static_cast<unsigned>(a.read()), 2);
    put(static_cast<unsigned>(a.upload()), 2);
    put(static_cast<unsigned>(a.scanner()), 2);
    put(static_cast<unsigned>(a.tps()), 3);
    put(a.alteration(), 1);
    put(a.percent(), 1);
    put(a.replay(), 1);
    put(a.calibratorHoldsScanner(), 1);
    put(a.tpsOffered(), 1);
    put(a.checking(), 1);
    for (auto held : {Activity::kScannerButton, Activity::kAlterButton, Activity::kCloseButton,
                      Activity::kOpenButton}) {
        put(a.held(held), 1);
    }
    return s;
}

} // namespace orvel::test::seq
