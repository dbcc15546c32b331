#include "tools/calibrator.h"
#include "core/form.h"

namespace orvel {
void Calibrator::btnCalibrarClick() { (void)form_; }
void Calibrator::btnRecalcularClick() {}
void Calibrator::btnAnularClick() {}
} // namespace orvel
