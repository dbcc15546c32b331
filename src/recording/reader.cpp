#include "recording/reader.h"

#include "core/errors.h"

namespace orvel::recording {

ReadResult readRecording(std::string_view /*bytes*/) {
    throw FileError("Leitura de registros ainda não disponível");
}

ReadResult readRecordingFile(const std::string& /*path*/) {
    throw FileError("Leitura de registros ainda não disponível");
}

} // namespace orvel::recording
