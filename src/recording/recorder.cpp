#include "recording/recorder.h"

#include "core/errors.h"
#include "transfer/scanner_values.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <utility>

namespace orvel::recording {

namespace {

constexpr std::size_t kSensor = 0;     // frame 29
constexpr std::size_t kEngine = 1;     // frame 30
constexpr std::size_t kCorrection = 2; // frame 31

std::int32_t flag(std::uint8_t b) {
    return b != 0 ? 1 : 0;
}

} // namespace

FixedValues decodeSet(const FrameSet& set, int cylinders) {
    namespace sv = scanvalues;
    const auto& s = set[kSensor].data;
    const auto& e = set[kEngine].data;
    const auto& k = set[kCorrection].data;
    FixedValues v{};
    const int period = frames::u16(e[5], e[6]);
    const int tiTenths = sv::injectionTenths(e[2], e[3]);
    // Without the cylinder count the period gives no RPM (the window shows none).
    const bool rpmKnown = cylinders > 0 || period == 0;
    const int rpm = sv::rpm(period, cylinders);
    v[col::rpm] = rpmKnown ? rpm : kUnknown;
    v[col::ti] = tiTenths;
    v[col::lambdaMv] = sv::lambdaMillivolts(s[3]);
    v[col::temperature] = s[0];
    v[col::shortTrim] = frames::s8(k[0]);
    v[col::longTrim] = frames::s8(k[1]);
    v[col::advance] = e[0];
    v[col::tpsVolts] =
        static_cast<std::int32_t>(std::llround(sv::tpsVolts(frames::u16(s[4], s[5])) * 100));
    v[col::tpsColumn] = s[6];
    v[col::mapValue] = s[1];
    v[col::idleActuator] = s[2];
    v[col::atmPressure] = sv::atmosphericMbar(e[4]);
    v[col::temperatureCorrection] = frames::s8(k[2]);
    v[col::atmCorrection] = frames::s8(k[3]);
    v[col::advanceCorrection] = frames::s8(k[4]);
    v[col::duty] = rpmKnown ? static_cast<std::int32_t>(
                                  std::llround(sv::injectorDuty(rpm, cylinders, tiTenths / 10.0)))
                            : kUnknown;
    v[col::rpmPosition] = frames::s8(e[1]);
    v[col::loadPosition] = s[7];
    v[col::pump] = flag(e[7]);
    v[col::fan] = flag(k[5]);
    v[col::airConditioning] = flag(k[6]);
    // A frame the session has not received yet tells nothing.
    for (std::size_t f = 0; f < set.size(); ++f) {
        if (set[f].id != 0) {
            continue;
        }
        for (std::size_t c = 0; c < kValueCount; ++c) {
            if (kValueColumns[c].frame == static_cast<int>(29 + f)) {
                v[c] = kUnknown;
            }
        }
    }
    return v;
}

Recorder::Recorder(Timer& check, MapText mapText, Tell tell)
    : check_(check), mapText_(std::move(mapText)), tell_(std::move(tell)) {
    setClocks({}, {});
}

void Recorder::setClocks(SteadyMs steady, WallClock wall) {
    steady_ = steady ? std::move(steady) : [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    wall_ = wall ? std::move(wall) : [] { return std::chrono::system_clock::now(); };
}

void Recorder::sessionStarted() {
    if (active_ || folder_.empty()) {
        return;
    }
    active_ = true;
    startMs_ = steady_();
    latest_ = {};
    cylinders_ = 0;
    dropped_ = 0;

    DiskWriter::Session session;
    session.folder = folder_;
    const std::time_t start = std::chrono::system_clock::to_time_t(wall_());
#ifdef _WIN32
    localtime_s(&session.start, &start); // the same, with its arguments the other way round
#else
    localtime_r(&start, &session.start);
#endif
    try {
        session.mapText = mapText_();
    } catch (const OrvelError& e) {
        pending_.push_back(std::string("O mapa não foi gravado ao lado do registro: ") + e.what());
    }
    writer_.begin(std::move(session));
    check_.setInterval(kCheckMs);
    check_.setEnabled(true);
}

void Recorder::frameReceived(const frames::ModuleFrame& frame, int cylinders) {
    if (!active_ || frame.id < 29 || frame.id > 31) {
        return;
    }
    // A row is the set that frame 31 completes, with the latest 29 and 30 of the
    // session, as the window shows them: a frame lost from this set leaves the
    // one before it in its place, and one not received yet in the session is
    // written as id 00 with eight zero bytes and decoded like any other.
    latest_[static_cast<std::size_t>(frame.id - 29)] = frame;
    if (frame.id == 30) {
        cylinders_ = cylinders;
    }
    if (frame.id != 31) {
        return;
    }
    Row row;
    row.timeMs = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        steady_() - startMs_, 0, std::numeric_limits<std::int32_t>::max()));
    row.values = decodeSet(latest_, cylinders_);
    row.frames = latest_;
    if (!writer_.push(row)) {
        ++dropped_;
    }
}

void Recorder::sessionEnded() {
    if (!active_) {
        return;
    }
    active_ = false;
    writer_.end();
    if (dropped_ > 0) {
        pending_.push_back(std::to_string(dropped_) +
                           " linhas do registro do scanner não foram gravadas: o disco não "
                           "acompanhou.");
    }
}

void Recorder::check() {
    // Idle first: a fault is noted before the work that met it counts as done.
    const bool idle = writer_.idle();
    auto messages = writer_.takeFaults();
    messages.insert(messages.end(), std::make_move_iterator(pending_.begin()),
                    std::make_move_iterator(pending_.end()));
    pending_.clear();
    if (!active_ && messages.empty() && idle) {
        check_.setEnabled(false);
    }
    for (const auto& message : messages) {
        tell_(message);
    }
}

} // namespace orvel::recording
