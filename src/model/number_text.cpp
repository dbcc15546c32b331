#include "model/number_text.h"

namespace orvel::numtext {
std::int32_t parseInteger(std::string_view text) { (void)text; return 0; }
double parseDecimal(std::string_view text) { (void)text; return 0; }
std::string formatGeneral(double value) { (void)value; return {}; }
std::string formatPattern(double value, std::string_view pattern) { (void)value; (void)pattern; return {}; }
std::string formatInteger(std::int64_t value) { return std::to_string(value); }
} // namespace orvel::numtext
