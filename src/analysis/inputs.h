#pragma once

#include "analysis/map_context.h"
#include "recording/recording.h"

#include <string>

namespace orvel::analysis {

// A recording ready for analysis with the map it ran with.
struct Input {
    std::string name; // the file's name, for messages
    recording::Recording recording;
    MapContext map;
};

// The map file the recorder writes beside a recording: "X-mapa.txt" for "X.csv".
[[nodiscard]] std::string mapPathOf(const std::string& recordingPath);

// Reads a recording and its map. Throws AnalysisError naming the file when a
// column the analysis needs is missing, the map is missing or unreadable, or
// the recording cannot be read.
[[nodiscard]] Input loadInput(const std::string& recordingPath);

} // namespace orvel::analysis
