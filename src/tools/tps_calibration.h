#pragma once

#include <optional>

namespace orvel {

class Form;

// The throttle sensor's closed and open points, taught through the scanner.
class TpsCalibration {
public:
    explicit TpsCalibration(Form& form) : form_(form) {}
    void btnConfigurarTpsClick();
    void TimerTPSTimer();
    // Frame 29 while the TimerTPS tag is 1, after TpsRawValue was taken.
    void capture();

    // The port was lost: the procedure ends as cancelled, without a box of its own.
    void endWithThePort();

private:
    // What a cancelled procedure puts back.
    struct Before {
        int closedValue;
        int openValue;
        int barMin;
        int barMax;
    };
    void checkClosedReading();
    void finish();
    // Ends the procedure without sending anything.
    void cancel();
    // Timer off, flag cleared, end points and bar as before the click.
    void restore();
    // Its buttons need the port.
    void offerAgain();
    Form& form_;
    std::optional<Before> before_; // set while the procedure runs
};

} // namespace orvel
