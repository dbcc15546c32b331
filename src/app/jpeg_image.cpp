#include "app/jpeg_image.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace orvel::app {

namespace {

// libjpeg reports fatal errors by calling error_exit, which must not return:
// it jumps back into the decoding step that is running.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager error{};
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void silent(j_common_ptr, int) {}

// The steps that may fail run in functions that own no C++ objects, so the jump
// skips no destructor.
bool startDecoding(Decoder& d, const unsigned char* data, unsigned long size) {
    if (setjmp(d.error.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, data, size);
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    d.info.out_color_space = JCS_RGB;
    return jpeg_start_decompress(&d.info) == TRUE && d.info.output_components == 3;
}

bool readRows(Decoder& d, unsigned char* bits, qsizetype stride) {
    if (setjmp(d.error.jump) != 0) {
        return false;
    }
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = bits + stride * static_cast<qsizetype>(d.info.output_scanline);
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) {
            return false;
        }
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data) {
    if (data.isEmpty()) {
        return {};
    }
    Decoder d;
    d.info.err = jpeg_std_error(&d.error.base);
    d.error.base.error_exit = jumpBack;
    d.error.base.emit_message = silent;

    QImage image;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    if (startDecoding(d, bytes, static_cast<unsigned long>(data.size()))) {
        image = QImage(static_cast<int>(d.info.output_width),
                       static_cast<int>(d.info.output_height), QImage::Format_RGB888);
        if (image.isNull() || !readRows(d, image.bits(), image.bytesPerLine())) {
            image = QImage();
        }
    }
    jpeg_destroy_decompress(&d.info);
    return image;
}

} // namespace orvel::app
