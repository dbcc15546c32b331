#include "activity/activity.h"

namespace orvel {

namespace {
constexpr std::uint8_t kGivenBackByATransferEnd =
    Activity::kScannerButton | Activity::kAlterButton | Activity::kCloseButton;
} // namespace

bool Activity::mayTransfer() const {
    return portOpen_ && !receiving() && !uploading() && !checking_ && !scanning() && !percent_ &&
           !tpsBusy() && !replay_;
}

bool Activity::mayStartScanner() const {
    return portOpen_ && !receiving() && !uploading() && !checking_ && !replay_;
}

bool Activity::mayCheckModule() const {
    return portOpen_ && !reading() && !uploading() && !checking_ && !scanning() &&
           tps_ == Tps::None && !replay_ && !calibratorHoldsScanner_;
}

bool Activity::mayCalibrateTps() const {
    return portOpen_ && tpsOffered_ && !receiving() && !uploading() && !checking_ && !percent_ &&
           !tpsBusy() && !replay_;
}

bool Activity::mayEnterAlteration() const {
    return !alteration_ && !receiving() && !uploading() && !scanning() && !replay_;
}

bool Activity::mayChangeMapAsWhole() const {
    return !receiving() && !uploading();
}

bool Activity::mayConvertToPercent() const {
    // The procedure's scanner and upload need the map in milliseconds until it ends.
    return mayChangeMapAsWhole() && !percent_ && tps_ == Tps::None;
}

bool Activity::mayOpenPort() const {
    return !portOpen_ && !percent_ && !replay_ && !held(kOpenButton);
}

bool Activity::mayClosePort() const {
    return portOpen_ && !receiving() && !uploading() && !checking_ && !scanning() && !replay_ &&
           !held(kCloseButton);
}

std::uint8_t Activity::mapWriteBlockers() const {
    std::uint8_t b = 0;
    const auto add = [&b](bool runs, MapWriter bit) {
        if (runs) {
            b = static_cast<std::uint8_t>(b | bit);
        }
    };
    add(percent_, kPercentMap);
    add(scanning(), kScannerRuns);
    add(reading(), kReadRuns);
    add(uploading(), kUploadRuns);
    add(tps_ != Tps::None, kTpsRuns);
    add(replay_, kReplayRuns);
    add(alteration_, kAlterationRuns);
    return b;
}

bool Activity::acceptsConfiguration() const {
    return reading() ||
           (!uploading() && !checking_ && !scanning() && tps_ == Tps::None && !replay_);
}

void Activity::portOpened() {
    portOpen_ = true;
    release(kOpenButton | kCloseButton | kScannerButton);
    changed();
}

void Activity::portClosed() {
    portOpen_ = false;
    read_ = Read::None;
    upload_ = Upload::None;
    checking_ = false;
    if (scanner_ != Scanner::Off) {
        scannerOff();
    }
    tpsOffered_ = false;
    release(kOpenButton);
    changed();
}

void Activity::readRequested() {
    read_ = Read::Requested;
    changed();
}

void Activity::readReceiving() {
    read_ = Read::Receiving;
    changed();
}

void Activity::readCompleted() {
    read_ = Read::None;
    tpsOffered_ = true;
    release(kGivenBackByATransferEnd);
    changed();
}

void Activity::readTimedOut() {
    read_ = Read::None;
    release(kGivenBackByATransferEnd);
    changed();
}

void Activity::readAbandoned() {
    read_ = Read::None;
    changed();
}

void Activity::uploadStarted(Upload owner) {
    upload_ = owner;
    changed();
}

void Activity::uploadEnded() {
    upload_ = Upload::None;
    if (portOpen_) {
        tpsOffered_ = true;
        release(kGivenBackByATransferEnd);
    }
    changed();
}

void Activity::checkStarted() {
    checking_ = true;
    changed();
}

void Activity::checkEnded() {
    checking_ = false;
    changed();
}

void Activity::scannerOn() {
    scanner_ = Scanner::On;
    tpsOffered_ = false;
    quickAccelerationHidden_ = true;
    rpmBarHidden_ = false;
    changed();
}

void Activity::scannerStopping() {
    scanner_ = Scanner::Stopping;
    quickAccelerationHidden_ = false;
    release(kAlterButton | kCloseButton);
    changed();
}

void Activity::scannerOff() {
    if (scanner_ == Scanner::On) {
        scannerStopping();
    }
    scanner_ = Scanner::Off;
    changed();
}

void Activity::tpsPhase(Tps phase) {
    tps_ = phase;
    changed();
}

void Activity::tpsEnded() {
    tps_ = Tps::None;
    tpsOffered_ = portOpen_;
    release(kScannerButton);
    changed();
}

void Activity::calibratorStarted() {
    calibratorHoldsScanner_ = true;
    changed();
}

void Activity::calibratorDone() {
    calibratorHoldsScanner_ = false;
    release(kAlterButton | kScannerButton);
    changed();
}

void Activity::alterationEntered() {
    alteration_ = true;
    held_ = kScannerButton | kAlterButton | kCloseButton | kOpenButton;
    quickAccelerationHidden_ = true;
    rpmBarHidden_ = true;
    changed();
}

void Activity::alterationLeft() {
    alteration_ = false;
    held_ = 0;
    quickAccelerationHidden_ = false;
    changed();
}

void Activity::percentShown(bool shown) {
    percent_ = shown;
    if (shown) {
        held_ |= kOpenButton;
    }
    changed();
}

void Activity::replayStarted() {
    replay_ = true;
    rpmBarHidden_ = false;
    changed();
}

void Activity::replayEnded() {
    replay_ = false;
    changed();
}

} // namespace orvel
