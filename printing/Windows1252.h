#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the code page of the printers' bytes, with its five unassigned bytes (81, 8D, 8F,
// 90, 9D) carried as the code points of the same value, so that every byte has exactly one
// character and a byte the accent table gives reaches the printer unchanged.
namespace windows1252 {

char16_t characterOf(unsigned char byte);
// Characters outside the code page become "?".
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

} // namespace windows1252
