#include "analysis/inputs.h"

#include "analysis/correction.h"
#include "recording/reader.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvel::analysis {

namespace {

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw AnalysisError(fileName(path) + ": " + why);
}

} // namespace

std::string mapPathOf(const std::string& recordingPath) {
    std::string base = recordingPath;
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".csv") == 0) {
        base.resize(base.size() - 4);
    }
    return base + "-mapa.txt";
}

Input loadInput(const std::string& recordingPath) {
    std::ifstream csv(recordingPath, std::ios::binary);
    std::string header;
    if (!csv || !std::getline(csv, header)) {
        refuse(recordingPath, "não foi possível ler o arquivo");
    }
    if (const auto missing = missingColumns(header); !missing.empty()) {
        std::string names;
        for (const auto& name : missing) {
            names += (names.empty() ? "" : ", ") + ("\"" + name + "\"");
        }
        refuse(recordingPath, "faltam as colunas " + names);
    }
    const std::string mapPath = mapPathOf(recordingPath);
    std::ifstream mapFile(mapPath, std::ios::binary);
    if (!mapFile) {
        refuse(recordingPath, "falta o mapa gravado junto (" + fileName(mapPath) + ")");
    }
    const std::string mapBytes{std::istreambuf_iterator<char>(mapFile),
                               std::istreambuf_iterator<char>()};
    Input input;
    input.name = fileName(recordingPath);
    try {
        input.map = contextFromMapFile(mapBytes);
        input.recording = recording::readRecordingFile(recordingPath).recording;
    } catch (const OrvelError& e) {
        refuse(recordingPath, e.what());
    }
    return input;
}

} // namespace orvel::analysis
