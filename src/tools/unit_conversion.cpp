#include "tools/unit_conversion.h"
#include "core/form.h"

namespace orvel {
void UnitConversion::btnPercentualClick() { (void)form_; }
void UnitConversion::btnmSClick() {}
} // namespace orvel
