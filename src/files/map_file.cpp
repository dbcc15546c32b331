#include "files/map_file.h"
#include "core/form.h"

namespace orvel {
namespace mapfile {
Values collect(const ControlStore& store, int tpsClosed, int tpsOpen) { (void)store; (void)tpsClosed; (void)tpsOpen; return {}; }
std::string encodeLine(const Values& values) { (void)values; return {}; }
std::vector<std::string> decodeSlots(std::string_view fileBytes) { (void)fileBytes; return {}; }
} // namespace mapfile
void MapFileHandler::btnSalvarClick() { (void)form_; }
void MapFileHandler::btnCarregarClick() {}
} // namespace orvel
