#include "tools/tps_calibration.h"
#include "core/form.h"

namespace orvel {
void TpsCalibration::btnConfigurarTpsClick() { (void)form_; }
void TpsCalibration::TimerTPSTimer() {}
void TpsCalibration::capture() {}
} // namespace orvel
