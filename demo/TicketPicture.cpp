#include "TicketPicture.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QStringDecoder>
#include <QStringList>

namespace {

constexpr char carriageReturn = '\r';
constexpr char lineFeed = '\n';
constexpr char formFeed = '\f';
constexpr char escape = '\x1b';

// Writes text over a line from a column, as the print head does after a carriage return.
void overstrike(QString& line, qsizetype column, const QString& text) {
    if (line.size() < column + text.size()) {
        line = line.leftJustified(column + text.size());
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char(' ')) {
            line[column + i] = text.at(i);
        }
    }
}

} // namespace

QString ticketPaperText(const QByteArray& printerBytes) {
    QStringDecoder codePage("IBM850");
    QStringList lines{QString()};
    qsizetype column = 0;
    QByteArray pending;
    const auto flush = [&] {
        const QString text = codePage.decode(pending);
        overstrike(lines.last(), column, text);
        column += text.size();
        pending.clear();
    };
    for (qsizetype i = 0; i < printerBytes.size(); ++i) {
        const char byte = printerBytes.at(i);
        if (byte == escape) {
            flush();
            i += 1; // the code's letter; the effects change the look, not the text
            continue;
        }
        if (byte != carriageReturn && byte != lineFeed && byte != formFeed) {
            pending += byte;
            continue;
        }
        flush();
        if (byte == carriageReturn) {
            column = 0;
        } else {
            lines << QString();
            column = 0;
        }
    }
    flush();
    return lines.join(QLatin1Char('\n'));
}

QImage ticketPicture(const QString& paperText) {
    QFont font(QStringLiteral("DejaVu Sans Mono"), 11);
    font.setStyleHint(QFont::TypeWriter);
    const QFontMetrics metrics(font);
    const QStringList lines = paperText.split(QLatin1Char('\n'));
    const int margin = 24;
    const int width = metrics.horizontalAdvance(QString(42, QLatin1Char('M'))) + 2 * margin;
    const int height = metrics.lineSpacing() * int(lines.size()) + 2 * margin;
    QImage paper(width, height, QImage::Format_RGB32);
    paper.fill(QColor(0xfb, 0xfa, 0xf4));
    QPainter painter(&paper);
    painter.setFont(font);
    painter.setPen(QColor(0x30, 0x30, 0x40));
    int y = margin + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(margin, y, line);
        y += metrics.lineSpacing();
    }
    return paper;
}
