#include "link/port_list.h"

namespace orvel {
std::vector<std::string> candidatePorts() { return {}; }
std::string simulatedPortFolder() { return {}; }
std::vector<std::string> ListSerialPorts(PortProber& prober) { (void)prober; return {}; }
} // namespace orvel
