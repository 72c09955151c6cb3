#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <chrono>
#include <stdexcept>

// The decoder's own complaint about a picture that is not a readable JPEG.
class JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A member photo decodes in a few milliseconds; a file within every other limit can still be
// made to take a second (a large progressive picture of noise).
inline constexpr std::chrono::milliseconds photoDecodeLimit{150};

// Decodes a JPEG picture at the smallest of the decoder's scales (1, 1/2, 1/4, 1/8) that still
// covers shownAt, so a large photo is never decoded in full for a small frame. An empty shownAt
// decodes at full size. Throws JpegError with the decoder's message, or with the reason the picture
// is refused: over 50 megapixels, more than 24 MB of the decoder's memory, more than 100 scans,
// longer than maxTime to decode.
QImage decodeJpeg(const QByteArray& data, QSize shownAt,
                  std::chrono::milliseconds maxTime = photoDecodeLimit);
