#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <stdexcept>

// Runs a command line tool; false with its output in `output` when it fails.
inline bool runTool(const QString& program, const QStringList& arguments,
                    QString* output = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Bytes from a golden file of hexadecimal byte values; "#" starts a comment.
inline QByteArray readHexFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("cannot read " + path.toStdString());
    QByteArray bytes;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString data = line.section(QLatin1Char('#'), 0, 0);
        const QStringList values =
            data.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        for (const QString& value : values) {
            bool ok = false;
            const uint byte = value.toUInt(&ok, 16);
            if (!ok || byte > 0xFF)
                throw std::runtime_error("bad byte " + value.toStdString() + " in " +
                                         path.toStdString());
            bytes.append(char(byte));
        }
    }
    return bytes;
}

inline QString goldenFile(const char* name) {
    return QStringLiteral(SE_TEST_DATA_DIR "/textprinting/") + QLatin1String(name);
}

inline QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

// The text of a PDF job laid out in columns. A 10-point fixed-pitch cell is 6 points wide; told
// so, pdftotext keeps long gaps instead of squeezing them.
inline QStringList pdfLines(const QByteArray& pdf, const QString& folder) {
    QFile file(folder + "/job.pdf");
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {};
    file.close();
    QString text;
    if (!runTool("pdftotext", {"-layout", "-fixed", "6", file.fileName(), "-"}, &text))
        return {};
    return text.split('\n');
}

inline qsizetype columnOf(const QStringList& lines, const QString& text, int line) {
    return line < lines.size() ? lines.at(line).indexOf(text) : -1;
}
