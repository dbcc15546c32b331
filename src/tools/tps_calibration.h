#pragma once

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

private:
    void checkClosedReading();
    void finish();
    // Ends the procedure without sending anything.
    void cancel();
    Form& form_;
};

} // namespace orvel
