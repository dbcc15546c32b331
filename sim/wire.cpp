#include "wire.h"

namespace orvel::sim {

Bytes encodeModuleFrame(std::uint8_t id, const Data& data, frames::Layout layout) {
    Bytes out;
    out.reserve(frames::kFrameSize);
    if (layout == frames::Layout::A) {
        out.push_back('H');
    }
    if (layout != frames::Layout::C) {
        out.push_back('P');
    }
    out.push_back(id);
    out.insert(out.end(), data.begin(), data.end());
    out.push_back('F');
    while (out.size() < frames::kFrameSize) {
        out.push_back(' ');
    }
    return out;
}

} // namespace orvel::sim
