#include "JpegPhoto.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings about damaged data: the picture is shown as far as it decodes.
void onMessage(j_common_ptr, int) {}

int scaleDenominator(const jpeg_decompress_struct& info, QSize shownAt) {
    if (shownAt.isEmpty()) {
        return 1;
    }
    int denominator = 8;
    while (denominator > 1 &&
           (static_cast<int>(info.image_width) / denominator < shownAt.width() ||
            static_cast<int>(info.image_height) / denominator < shownAt.height())) {
        denominator /= 2;
    }
    return denominator;
}

// No object with a destructor lives in this frame: the decoder's errors jump out of it.
bool decodeInto(ErrorManager& errors, jpeg_decompress_struct& info, const QByteArray& data,
                QSize shownAt, QImage& image) {
    if (setjmp(errors.jump) != 0) {
        return false;
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(scaleDenominator(info, shownAt));
    info.out_color_space = JCS_EXT_BGRX; // the byte order of QImage::Format_RGB32 here
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB32);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data, QSize shownAt) {
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "RGB32 is BGRX in memory on little-endian");
    ErrorManager errors{};
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = onError;
    errors.standard.emit_message = onMessage;
    jpeg_create_decompress(&info);
    QImage image;
    const bool decoded = decodeInto(errors, info, data, shownAt, image);
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        throw JpegError(errors.message);
    }
    return image;
}
