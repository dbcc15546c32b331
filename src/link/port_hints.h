#pragma once

#include <string>

namespace orvel {

// What the user can do when the system refuses to open a port, by the system's
// error number; empty when there is nothing useful to say.
[[nodiscard]] std::string openFailureHint(int systemError);

} // namespace orvel
