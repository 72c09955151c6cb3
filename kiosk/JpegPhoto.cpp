#include "JpegPhoto.h"

#include <chrono>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace {

// A member photo is a face on a small frame. Larger pictures, and the decoder's worst cases
// (a tiny file declaring a huge picture, or scan after scan over the same picture), are refused
// instead of holding the window and the memory for seconds.
constexpr unsigned long long MaxPixels = 50'000'000;
constexpr long MaxDecoderMemory = 24L * 1024 * 1024;
constexpr int MaxScans = 100;

struct Progress {
    jpeg_progress_mgr standard; // first: the decoder knows only this part
    std::chrono::steady_clock::time_point deadline;
    std::chrono::milliseconds limit;
};

struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void stop(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onError(j_common_ptr info) {
    char* message = reinterpret_cast<ErrorManager*>(info->err)->message;
    if (info->err->msg_code == JERR_NO_BACKING_STORE) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Photo refused: needs more than %ld MB to decode",
                      MaxDecoderMemory / (1024 * 1024));
    } else {
        (*info->err->format_message)(info, message);
    }
    stop(info);
}

// Warnings about damaged data: the picture is shown as far as it decodes.
void onMessage(j_common_ptr, int) {}

template <typename... Values>
[[noreturn]] void refuse(j_decompress_ptr info, const char* format, Values... values) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(errors->message, sizeof errors->message, format, values...);
    stop(reinterpret_cast<j_common_ptr>(info));
}

// Called as the decoder works through the file, at least once per scan.
void onProgress(j_common_ptr common) {
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > MaxScans) {
        refuse(info, "Photo refused: more than %d scans", MaxScans);
    }
    if (std::chrono::steady_clock::now() > reinterpret_cast<Progress*>(info->progress)->deadline) {
        refuse(info, "Photo refused: takes more than %d ms to decode",
               static_cast<int>(reinterpret_cast<Progress*>(info->progress)->limit.count()));
    }
}

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
    if (static_cast<unsigned long long>(info.image_width) * info.image_height > MaxPixels) {
        refuse(&info, "Photo refused: %u x %u pixels is over 50 megapixels", info.image_width,
               info.image_height);
    }
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(scaleDenominator(info, shownAt));
    info.out_color_space = JCS_EXT_BGRX; // the byte order of QImage::Format_RGB32 here
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB32);
    if (image.isNull()) {
        refuse(&info, "Photo refused: no memory for %u x %u pixels", info.output_width,
               info.output_height);
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data, QSize shownAt, std::chrono::milliseconds maxTime) {
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "RGB32 is BGRX in memory on little-endian");
    ErrorManager errors{};
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = onError;
    errors.standard.emit_message = onMessage;
    Progress progress{};
    progress.standard.progress_monitor = onProgress;
    progress.deadline = std::chrono::steady_clock::now() + maxTime;
    progress.limit = maxTime;
    jpeg_create_decompress(&info);
    // A picture that needs more than this (a progressive one keeps all of its coefficients)
    // fails for want of a backing store, which this decoder has none of.
    info.mem->max_memory_to_use = MaxDecoderMemory;
    info.progress = &progress.standard;
    QImage image;
    const bool decoded = decodeInto(errors, info, data, shownAt, image);
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        throw JpegError(errors.message);
    }
    return image;
}
