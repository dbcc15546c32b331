#pragma once

#include <QByteArray>
#include <QImage>

namespace orvel::app {

// Decodes a baseline or progressive JPEG into an RGB image; a null image when
// the data is not a JPEG the decoder can read.
[[nodiscard]] QImage decodeJpeg(const QByteArray& data);

} // namespace orvel::app
