#include "Windows1252.h"

#include <algorithm>
#include <array>
#include <optional>

namespace windows1252 {
namespace {

// Characters of the bytes 80 to 9F; the unassigned 81, 8D, 8F, 90 and 9D keep their own value.
constexpr std::array<char16_t, 32> high1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

char16_t characterOf(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? high1252[byte - 0x80] : char16_t(byte);
}

namespace {

std::optional<char> byteOf(char16_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return char(character);
    }
    const auto found = std::find(high1252.begin(), high1252.end(), character);
    if (found != high1252.end()) {
        return char(0x80 + (found - high1252.begin()));
    }
    return std::nullopt;
}

} // namespace

QByteArray encode(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar character = text.at(at);
        if (character.isHighSurrogate() && at + 1 < text.size() &&
            text.at(at + 1).isLowSurrogate()) {
            ++at; // one character outside the code page, one "?"
        }
        bytes.append(byteOf(character.unicode()).value_or('?'));
    }
    return bytes;
}

QString decode(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text.append(QChar(characterOf(static_cast<unsigned char>(byte))));
    }
    return text;
}

} // namespace windows1252
