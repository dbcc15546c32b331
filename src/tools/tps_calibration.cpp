#include "tools/tps_calibration.h"

#include "core/control_store.h"
#include "core/platform.h"
#include "form/form_state.h"
#include "model/number_text.h"

namespace orvel {

namespace {

constexpr const char* kT1 = " Deixar  a  borboleta  Fechada  e  Seguir  as  instruções,  teclar "
                            "Enter ou \" OK \" para continuar...  ";
constexpr const char* kT2 = "  ATENÇÃO ! ! !    A tensão do Tps esta muito alta para borboleta "
                            "fechada, favor ver manual Pág. 13 ";
constexpr const char* kT3 = " A configuração foi cancelada ! ! ! ";
constexpr const char* kT4 =
    " Abrir  totalmente  a  Borboleta,  teclar Enter ou \" OK \" para continuar.... ";
constexpr const char* kT5 = "  CONFIGURAÇÃO  CONCLUIDA . . .  Abrir toda a borboleta e conferir se "
                            "o sinal do TPS esta de 0 a 100% ";

constexpr int kTickInterval = 500;
constexpr int kStartScannerTick = 1;
constexpr int kClosedCheckTick = 4;
constexpr int kUploadTick = 11;
constexpr int kFinishTick = 17;
// Frame counts start at 1: the first frame 29 makes 2, the seventh 8.
constexpr int kClosedFrame = 2;
constexpr int kOpenFrame = 8;
// Between the readings 255 (1.2463 V) and 256 (1.2512 V).
constexpr double kMaxClosedVoltage = 1.25;

} // namespace

using Phase = Activity::Tps;

void TpsCalibration::btnConfigurarTpsClick() {
    if (!activity_.mayCalibrateTps()) {
        return;
    }
    if (activity_.tps() == Phase::Completing) {
        endCompleted(); // the module has the last one's values: a new one begins
    }
    hooks_.beforeStart();
    const auto& bar = controls_.get("BarraTps");
    before_ = Before{state_.tpsClosedValue, state_.tpsOpenValue, bar.min, bar.max};
    activity_.tpsPhase(Phase::Confirming);
    dialogs_.message(kT1);
    if (activity_.tps() != Phase::Confirming) {
        return; // the port went while the box was open
    }
    state_.tpsCalibrationFrameCount = 1;
    state_.tpsCalibrationTick = 0;
    steps_.setInterval(kTickInterval);
    steps_.setEnabled(true);
    activity_.tpsPhase(Phase::ClosedWait);
}

void TpsCalibration::TimerTPSTimer() {
    auto& st = state_;
    const Phase phase = activity_.tps();
    if (phase == Phase::None || phase == Phase::Confirming) {
        steps_.setEnabled(false);
        return;
    }
    if (phase == Phase::Failing) {
        cancel(); // after the box that said why
        return;
    }
    ++st.tpsCalibrationTick;
    controls_.setText("Label92", numtext::formatInteger(st.tpsCalibrationTick));
    switch (st.tpsCalibrationTick) {
    case kStartScannerTick:
        hooks_.startScanner();
        break;
    case kClosedCheckTick:
        checkClosedReading();
        break;
    case kUploadTick:
        // Sending the previous open point as if it were new would report a
        // calibration that never happened.
        if (st.tpsCalibrationFrameCount < kOpenFrame) {
            cancel();
            break;
        }
        activity_.tpsPhase(Phase::Uploading);
        try {
            hooks_.startUpload();
        } catch (...) {
            // Nothing was sent: the refusal shows first, the cancellation at the next tick.
            activity_.tpsPhase(Phase::Failing);
            throw;
        }
        if (activity_.upload() != Activity::Upload::Tps) {
            activity_.tpsPhase(Phase::Failing);
        }
        break;
    case kFinishTick:
        // Its upload, or a transfer the user started after it, runs to its end first.
        if (phase != Phase::Completing || activity_.uploading() || activity_.receiving()) {
            --st.tpsCalibrationTick;
            break;
        }
        finish();
        break;
    default:
        break;
    }
}

void TpsCalibration::checkClosedReading() {
    auto& st = state_;
    steps_.setEnabled(false);
    activity_.tpsPhase(Phase::Checking);
    // Without a captured closed reading the voltage is a stale one.
    if (st.tpsCalibrationFrameCount < kClosedFrame) {
        cancel();
        return;
    }
    if (st.tpsVoltage > kMaxClosedVoltage) {
        restore();
        dialogs_.message(kT2);
        dialogs_.message(kT3);
        activity_.tpsEnded();
        return;
    }
    dialogs_.message(kT4);
    if (activity_.tps() != Phase::Checking) {
        return; // the port went while the box was open
    }
    activity_.tpsPhase(Phase::OpenWait);
    hooks_.startScanner();
    steps_.setEnabled(true);
}

void TpsCalibration::ownUploadEnded(bool completed) {
    if (activity_.tps() != Phase::Uploading) {
        return;
    }
    if (completed) {
        before_.reset(); // the module has them: nothing to put back any more
        activity_.tpsPhase(Phase::Completing);
    } else {
        activity_.tpsPhase(Phase::Failing);
    }
}

void TpsCalibration::finish() {
    controls_.setText("Label54", numtext::formatGeneral(state_.tpsVoltage));
    steps_.setEnabled(false);
    state_.tpsCalibrationTick = 0;
    dialogs_.message(kT5);
    if (activity_.tps() != Phase::Completing) {
        return; // ended, or started again, while the box was open
    }
    if (activity_.portOpen()) {
        hooks_.startScanner();
    }
    activity_.tpsEnded();
}

void TpsCalibration::endCompleted() {
    steps_.setEnabled(false);
    state_.tpsCalibrationTick = 0;
    before_.reset();
    activity_.tpsEnded();
}

void TpsCalibration::cancel() {
    restore();
    hooks_.stopScanner();
    dialogs_.message(kT3);
    activity_.tpsEnded();
}

void TpsCalibration::portClosed(bool tellCancellation) {
    const Phase phase = activity_.tps();
    if (phase == Phase::None) {
        return;
    }
    if (phase == Phase::Completing) {
        endCompleted();
        return;
    }
    restore();
    activity_.tpsEnded();
    if (tellCancellation) {
        dialogs_.message(kT3);
    }
}

void TpsCalibration::restore() {
    steps_.setEnabled(false);
    state_.tpsCalibrationTick = 0;
    if (!before_) {
        return;
    }
    state_.tpsClosedValue = before_->closedValue;
    state_.tpsOpenValue = before_->openValue;
    controls_.setRange("BarraTps", before_->barMin, before_->barMax);
    before_.reset();
}

void TpsCalibration::capture() {
    const Phase phase = activity_.tps();
    // Frames count from the procedure's first tick, when it starts the scanner.
    if (phase == Phase::None || phase == Phase::Confirming || state_.tpsCalibrationTick < 1) {
        return;
    }
    auto& st = state_;
    auto& ui = controls_;
    ++st.tpsCalibrationFrameCount;
    ui.setText("Label91", numtext::formatInteger(st.tpsCalibrationFrameCount));
    if (st.tpsCalibrationFrameCount == kClosedFrame) {
        st.tpsClosedValue = st.tpsRawValue;
        ui.setMax("BarraTps", st.tpsClosedValue);
        ui.setMin("BarraTps", st.tpsClosedValue / 4);
        ui.setText("Label89", numtext::formatInteger(st.tpsRawValue));
        hooks_.stopScanner();
    } else if (st.tpsCalibrationFrameCount == kOpenFrame) {
        // An open reading not above the closed one still needs a span the
        // module can divide by.
        st.tpsOpenValue =
            st.tpsRawValue > st.tpsClosedValue ? st.tpsRawValue / 4 : st.tpsClosedValue + 1;
        ui.setMax("BarraTps", st.tpsOpenValue);
        ui.setText("Label90", numtext::formatInteger(st.tpsOpenValue));
        hooks_.stopScanner();
        steps_.setEnabled(true);
    }
}

} // namespace orvel
