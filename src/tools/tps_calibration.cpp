#include "tools/tps_calibration.h"

#include "form/form.h"
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

void TpsCalibration::btnConfigurarTpsClick() {
    const auto& bar = form_.controls.get("BarraTps");
    before_ = Before{form_.state.tpsClosedValue, form_.state.tpsOpenValue, bar.min, bar.max};
    form_.controls.setEnabled("Button3", false);
    form_.dialogs.message(kT1);
    if (!before_) {
        return; // the port was lost while the box was open
    }
    form_.state.tpsCalibrationFrameCount = 1;
    form_.state.tpsCalibrationTick = 0;
    form_.timerTps->setInterval(kTickInterval);
    form_.timerTps->setEnabled(true);
}

void TpsCalibration::TimerTPSTimer() {
    auto& st = form_.state;
    if (!form_.port.isOpen()) {
        cancel(); // closed by the user: nothing more can be read or sent
        return;
    }
    form_.timerTps->tag = 1;
    ++st.tpsCalibrationTick;
    form_.controls.setText("Label92", numtext::formatInteger(st.tpsCalibrationTick));
    switch (st.tpsCalibrationTick) {
    case kStartScannerTick:
        form_.scanner.start();
        break;
    case kClosedCheckTick:
        checkClosedReading();
        break;
    case kUploadTick:
        // An upload the user started runs to its end first: starting over would
        // leave the module half a configuration without an end command.
        if (form_.timer2->enabled()) {
            --st.tpsCalibrationTick;
            break;
        }
        // Sending the previous open point as if it were new would report a
        // calibration that never happened.
        if (st.tpsCalibrationFrameCount < kOpenFrame) {
            cancel();
            break;
        }
        st.tpsUploadCompleted = false;
        try {
            form_.upload.startForTpsCalibration();
        } catch (...) {
            // Nothing was sent, so the procedure must not go on to report success.
            cancel();
            throw;
        }
        break;
    case kFinishTick:
        // The scanner that the completion starts would poll between the packets
        // of an upload the user started meanwhile.
        if (form_.timer2->enabled()) {
            --st.tpsCalibrationTick;
            break;
        }
        // Its own upload stopped by a failure told the module nothing complete;
        // an upload the user sent afterwards changes nothing about that.
        if (!st.tpsUploadCompleted) {
            cancel();
            break;
        }
        finish();
        break;
    default:
        break;
    }
}

void TpsCalibration::checkClosedReading() {
    auto& st = form_.state;
    form_.timerTps->setEnabled(false);
    // Without a captured closed reading the voltage is a stale one.
    if (st.tpsCalibrationFrameCount < kClosedFrame) {
        cancel();
        return;
    }
    if (st.tpsVoltage > kMaxClosedVoltage) {
        restore();
        form_.dialogs.message(kT2);
        form_.dialogs.message(kT3);
        offerAgain();
        return;
    }
    form_.dialogs.message(kT4);
    if (!before_) {
        return; // the port was lost while the box was open
    }
    form_.scanner.start();
    form_.timerTps->setEnabled(true);
}

void TpsCalibration::finish() {
    form_.controls.setText("Label54", numtext::formatGeneral(form_.state.tpsVoltage));
    form_.timerTps->setEnabled(false);
    form_.timerTps->tag = 0;
    before_.reset();
    form_.dialogs.message(kT5);
    if (form_.port.isOpen()) {
        form_.scanner.start();
    }
    offerAgain();
}

void TpsCalibration::cancel() {
    restore();
    form_.scanner.stop();
    form_.dialogs.message(kT3);
    offerAgain();
}

void TpsCalibration::endWithThePort() {
    restore();
}

void TpsCalibration::restore() {
    form_.timerTps->setEnabled(false);
    form_.timerTps->tag = 0;
    form_.state.tpsCalibrationTick = 0;
    if (!before_) {
        return;
    }
    form_.state.tpsClosedValue = before_->closedValue;
    form_.state.tpsOpenValue = before_->openValue;
    form_.controls.setRange("BarraTps", before_->barMin, before_->barMax);
    before_.reset();
}

void TpsCalibration::offerAgain() {
    form_.controls.setEnabled({"btnConfigurarTps", "Button3"}, form_.port.isOpen());
}

void TpsCalibration::capture() {
    auto& st = form_.state;
    auto& ui = form_.controls;
    ++st.tpsCalibrationFrameCount;
    ui.setText("Label91", numtext::formatInteger(st.tpsCalibrationFrameCount));
    if (st.tpsCalibrationFrameCount == kClosedFrame) {
        st.tpsClosedValue = st.tpsRawValue;
        ui.setMax("BarraTps", st.tpsClosedValue);
        ui.setMin("BarraTps", st.tpsClosedValue / 4);
        ui.setText("Label89", numtext::formatInteger(st.tpsRawValue));
        form_.scanner.stop();
    } else if (st.tpsCalibrationFrameCount == kOpenFrame) {
        // An open reading not above the closed one still needs a span the
        // module can divide by.
        st.tpsOpenValue =
            st.tpsRawValue > st.tpsClosedValue ? st.tpsRawValue / 4 : st.tpsClosedValue + 1;
        ui.setMax("BarraTps", st.tpsOpenValue);
        ui.setText("Label90", numtext::formatInteger(st.tpsOpenValue));
        form_.scanner.stop();
        form_.timerTps->setEnabled(true);
    }
}

} // namespace orvel
