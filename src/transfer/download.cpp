#include "transfer/download.h"
#include "core/form.h"

namespace orvel {
Download::Download(Form& form) : form_(form) {}
Download::~Download() = default;
void Download::btnLerDadosClick() { (void)form_; }
void Download::handleFrame(const frames::ModuleFrame& frame) { (void)frame; }
void Download::timeoutTick() {}
} // namespace orvel
