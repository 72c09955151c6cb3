// Member photos: the frame they are shown at from the first two bytes (0 for none), the picture
// from the rest, decoded with the terminal's limits. A refused or broken picture is a JpegError;
// a decoded one is never larger than the full picture and, for a frame, decoded at the smallest
// of the scales 1, 1/2, 1/4, 1/8 that still covers the frame.
#include "FuzzSupport.h"
#include "JpegPhoto.h"

#include <QImage>
#include <QSize>

#include <array>
#include <optional>

namespace {

std::optional<QImage> decoded(const QByteArray& picture, QSize shownAt) {
    try {
        return decodeJpeg(picture, shownAt);
    } catch (const JpegError&) {
        return std::nullopt;
    }
}

// libjpeg's size of a picture decoded at 1/denominator: rounded up.
QSize scaledSize(QSize full, int denominator) {
    return {(full.width() + denominator - 1) / denominator,
            (full.height() + denominator - 1) / denominator};
}

bool covers(QSize full, int denominator, QSize shownAt) {
    return full.width() / denominator >= shownAt.width() &&
           full.height() / denominator >= shownAt.height();
}

// Of the scales that give this size, one covers the frame (or is the full picture), and half of it
// would not cover the frame (or it is the smallest scale).
void checkScale(QSize full, QSize scaled, QSize shownAt) {
    bool smallestCovering = false;
    for (const int denominator : std::array{1, 2, 4, 8}) {
        if (scaledSize(full, denominator) == scaled &&
            (denominator == 1 || covers(full, denominator, shownAt)) &&
            (denominator == 8 || !covers(full, denominator * 2, shownAt))) {
            smallestCovering = true;
        }
    }
    check(smallestCovering, "not decoded at the smallest scale that covers the frame");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const QSize shownAt(input.byte(), input.byte());
    const QByteArray picture = input.rest();

    const std::optional<QImage> scaled = decoded(picture, shownAt);
    if (!scaled) {
        return 0;
    }
    check(!scaled->isNull(), "a decoded photo with no pixels");
    check(qint64(scaled->width()) * scaled->height() <= 50'000'000, "a photo over 50 megapixels");
    // The full picture, when it decodes within the limits too.
    const std::optional<QImage> full = decoded(picture, QSize());
    if (!full) {
        return 0;
    }
    check(scaled->width() <= full->width() && scaled->height() <= full->height(),
          "a photo decoded larger than the picture");
    if (!shownAt.isEmpty()) {
        checkScale(full->size(), scaled->size(), shownAt);
    }
    return 0;
}
