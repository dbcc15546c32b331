#pragma once

#include <cstdint>

namespace orvel {

// What runs now: the port, the read, the upload, the module check, the scanner,
// the TPS procedure, the calibrator, the map-alteration and percent modes and a replay. Every
// operation asks here before it starts and tells here when it ends; the window's
// control states follow from it alone (control_states.h).
class Activity {
public:
    enum class Read { None, Requested, Receiving };
    enum class Upload { None, User, Tps };
    // Stopping: switched off, its stop command still owed to the module.
    enum class Scanner { Off, On, Stopping };
    enum class Tps {
        None,
        Confirming, // its first box is open
        ClosedWait, // the closed-throttle reading
        Checking,   // the closed reading is judged
        OpenWait,   // the open-throttle reading
        Uploading,  // its own upload runs
        Completing, // its upload completed: the module has the new values
        Failing,    // its upload was refused or cut: it ends at its next tick
    };
    // Controls the alteration mode disables on entry and a later end of an
    // operation may give back, as each handler did on its own.
    enum Held : std::uint8_t {
        kScannerButton = 1,
        kAlterButton = 2,
        kCloseButton = 4,
        kOpenButton = 8,
    };

    [[nodiscard]] bool portOpen() const { return portOpen_; }
    [[nodiscard]] Read read() const { return read_; }
    [[nodiscard]] bool reading() const { return read_ != Read::None; }
    [[nodiscard]] bool receiving() const { return read_ == Read::Receiving; }
    [[nodiscard]] Upload upload() const { return upload_; }
    [[nodiscard]] bool uploading() const { return upload_ != Upload::None; }
    // "Conferir módulo" waits for the module's answer.
    [[nodiscard]] bool checking() const { return checking_; }
    [[nodiscard]] Scanner scanner() const { return scanner_; }
    [[nodiscard]] bool scanning() const { return scanner_ == Scanner::On; }
    [[nodiscard]] Tps tps() const { return tps_; }
    // The procedure runs and its upload has not yet given the module the values.
    [[nodiscard]] bool tpsBusy() const { return tps_ != Tps::None && tps_ != Tps::Completing; }
    [[nodiscard]] bool alteration() const { return alteration_; }
    [[nodiscard]] bool percent() const { return percent_; }
    [[nodiscard]] bool replay() const { return replay_; }
    [[nodiscard]] bool calibratorHoldsScanner() const { return calibratorHoldsScanner_; }
    [[nodiscard]] bool tpsOffered() const { return tpsOffered_; }
    [[nodiscard]] bool held(Held control) const { return alteration_ && (held_ & control) != 0; }
    [[nodiscard]] bool quickAccelerationHidden() const { return quickAccelerationHidden_; }
    [[nodiscard]] bool rpmBarHidden() const { return rpmBarHidden_; }
    // Changes with every transition: equal revisions, equal control states.
    [[nodiscard]] std::uint64_t revision() const { return revision_; }

    // What may start now. A start the window's buttons would not offer is
    // refused here all the same: some starts come from other operations.
    [[nodiscard]] bool mayTransfer() const; // a read or a user's upload
    [[nodiscard]] bool mayStartScanner() const;
    // The port is open and nothing else uses it or holds the configuration.
    [[nodiscard]] bool mayCheckModule() const;
    [[nodiscard]] bool mayCalibrateTps() const;
    [[nodiscard]] bool mayEnterAlteration() const;
    [[nodiscard]] bool mayChangeMapAsWhole() const; // shifts and unit conversions
    [[nodiscard]] bool mayConvertToPercent() const;
    [[nodiscard]] bool mayOpenPort() const;
    [[nodiscard]] bool mayClosePort() const;
    // Configuration frames change the fields only for a read, or when nothing
    // else uses the fields: an upload, the scanner or the procedure must not
    // find them rewritten by an answer nobody waits for.
    [[nodiscard]] bool acceptsConfiguration() const;

    // What runs now that makes the map not the user's to rewrite in one go (a
    // correction from the recordings): the map shown in percent, the scanner
    // (its owed stop command does not touch the map), a read, an upload, the TPS procedure, a
    // replay, the alteration mode. Bits of MapWriter, none when the map may be written.
    enum MapWriter : std::uint8_t {
        kPercentMap = 1,
        kScannerRuns = 2,
        kReadRuns = 4,
        kUploadRuns = 8,
        kTpsRuns = 16,
        kReplayRuns = 32,
        kAlterationRuns = 64,
    };
    [[nodiscard]] std::uint8_t mapWriteBlockers() const;

    void portOpened();
    void portClosed();

    void readRequested();
    void readReceiving();
    void readCompleted();
    void readTimedOut();
    void readAbandoned();

    void uploadStarted(Upload owner);
    void uploadEnded();

    void checkStarted();
    void checkEnded();

    void scannerOn();
    void scannerStopping();
    void scannerOff();

    void tpsPhase(Tps phase);
    void tpsEnded();

    void calibratorStarted();
    void calibratorDone();

    void alterationEntered();
    void alterationLeft();
    void percentShown(bool shown);

    void replayStarted();
    void replayEnded();

private:
    void release(std::uint8_t controls) { held_ &= static_cast<std::uint8_t>(~controls); }
    void changed() { ++revision_; }

    bool portOpen_ = false;
    Read read_ = Read::None;
    Upload upload_ = Upload::None;
    bool checking_ = false;
    Scanner scanner_ = Scanner::Off;
    Tps tps_ = Tps::None;
    bool alteration_ = false;
    bool percent_ = false;
    bool replay_ = false;
    bool calibratorHoldsScanner_ = false;
    // The procedure is offered once a configuration was read or sent or a
    // procedure ended, until the scanner starts or the port closes.
    bool tpsOffered_ = false;
    std::uint8_t held_ = 0;
    // " Aceler. Rápida " goes with the scanner's start and the mode's entry and
    // comes back with the scanner's stop and the mode's end.
    bool quickAccelerationHidden_ = false;
    // The mode hides the bar beside the injection map; the scanner's next start shows it.
    bool rpmBarHidden_ = false;
    std::uint64_t revision_ = 1;
};

} // namespace orvel
