#include "core/errors.h"

namespace orvel {

std::string withFullStop(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

std::string errorBoxText(const OrvelError& error) {
    std::string text = withFullStop(error.what());
    if (!error.hint().empty()) {
        text += "\n\n" + error.hint();
    }
    return text;
}

} // namespace orvel
