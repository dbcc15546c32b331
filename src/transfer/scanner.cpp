#include "transfer/scanner.h"
#include "core/form.h"

namespace orvel {
void Scanner::Button3Click() { (void)form_; }
void Scanner::start() {}
void Scanner::stop() {}
bool Scanner::isOn() const { return false; }
void Scanner::Timer1Timer() {}
void Scanner::handleFrame(const frames::ModuleFrame& frame) { (void)frame; }
void Scanner::markCells() {}
} // namespace orvel
