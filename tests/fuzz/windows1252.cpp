// The printers' code page: every byte is one character and back, and text becomes bytes with "?"
// for each character the code page lacks (a surrogate pair being one character).
#include "Windows1252.h"
#include "FuzzSupport.h"

#include <QString>

#include <array>
#include <cstring>

namespace {

// Whether a UTF-16 unit is a character of the code page, by the code page's own table.
const std::array<bool, 0x10000>& codePage() {
    static const std::array<bool, 0x10000> characters = [] {
        std::array<bool, 0x10000> found{};
        for (int byte = 0; byte < 256; ++byte) {
            const char16_t character = windows1252::characterOf(static_cast<unsigned char>(byte));
            check(!found[character], "two bytes share a character");
            found[character] = true;
        }
        return found;
    }();
    return characters;
}

void checkBytesRoundTrip(const QByteArray& bytes) {
    const QString text = windows1252::decode(bytes);
    check(text.size() == bytes.size(), "decode gives one character a byte");
    check(windows1252::encode(text) == bytes, "encode(decode(bytes)) gives the bytes back");
}

void checkTextRoundTrip(const QString& text) {
    const QString back = windows1252::decode(windows1252::encode(text));
    qsizetype at = 0;
    for (const QChar character : back) {
        check(at < text.size(), "more characters back than given");
        const QChar given = text.at(at);
        const bool pair =
            given.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate();
        const QChar expected = !pair && codePage()[given.unicode()] ? given : QLatin1Char('?');
        check(character == expected, "a character of the code page changed, or another not '?'");
        at += pair ? 2 : 1;
    }
    check(at == text.size(), "fewer characters back than given");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkBytesRoundTrip(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // The same bytes as UTF-16 text.
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, size / 2 * 2);
    checkTextRoundTrip(text);
    return 0;
}
