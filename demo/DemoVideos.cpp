#include "DemoVideos.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>

#include <cmath>
#include <stdexcept>

namespace demo {

namespace {

constexpr int clipWidth = 320;
constexpr int clipHeight = 240;
constexpr int framesPerSecond = 12;
constexpr double demoClipSeconds = 4.0;

// What ffmpeg needs to write each format as gyms hold it.
QStringList encoderArguments(const QString& extension) {
    if (extension == QStringLiteral("wmv")) {
        return {QStringLiteral("-c:v"), QStringLiteral("wmv2"), QStringLiteral("-b:v"),
                QStringLiteral("400k")};
    }
    if (extension == QStringLiteral("avi")) {
        return {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
                QStringLiteral("5")};
    }
    if (extension == QStringLiteral("webm")) {
        return {QStringLiteral("-c:v"), QStringLiteral("libvpx"),    QStringLiteral("-b:v"),
                QStringLiteral("400k"), QStringLiteral("-deadline"), QStringLiteral("realtime")};
    }
    if (extension == QStringLiteral("mp4")) {
        return {QStringLiteral("-c:v"),      QStringLiteral("libx264"),   QStringLiteral("-preset"),
                QStringLiteral("veryfast"),  QStringLiteral("-pix_fmt"),  QStringLiteral("yuv420p"),
                QStringLiteral("-movflags"), QStringLiteral("+faststart")};
    }
    throw std::runtime_error("no video format for " + extension.toStdString());
}

// One frame: the exercise's name and a weight that goes up and down, with the time running out
// along the bottom.
QImage frame(const QString& title, int index, int count) {
    QImage image(clipWidth, clipHeight, QImage::Format_RGB888);
    image.fill(QColor(31, 78, 121));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"), 16, QFont::Bold);
    painter.setFont(font);
    painter.drawText(QRect(10, 10, clipWidth - 20, 70), Qt::AlignCenter | Qt::TextWordWrap, title);
    font.setPointSize(10);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, 80, clipWidth, 20), Qt::AlignCenter, QStringLiteral("Video Aula"));

    const double phase = 2.0 * M_PI * index / framesPerSecond;
    const int barY = 170 - static_cast<int>(45.0 * (0.5 + 0.5 * std::sin(phase)));
    painter.setPen(QPen(QColor(230, 230, 230), 4));
    painter.drawLine(90, barY, 230, barY);
    painter.setBrush(QColor(250, 180, 40));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRect(78, barY - 14, 14, 28), 3, 3);
    painter.drawRoundedRect(QRect(228, barY - 14, 14, 28), 3, 3);

    painter.setBrush(QColor(255, 255, 255, 90));
    painter.drawRect(QRect(0, clipHeight - 8, clipWidth, 8));
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(0, clipHeight - 8, clipWidth * (index + 1) / count, 8));
    return image;
}

} // namespace

void writeExerciseClip(const QString& file, const QString& title, double seconds) {
    const QStringList encoder = encoderArguments(QFileInfo(file).suffix().toLower());
    const int count = std::max(1, static_cast<int>(std::lround(seconds * framesPerSecond)));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                             QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                             QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                             QStringLiteral("rgb24"), QStringLiteral("-s"),
                             QStringLiteral("%1x%2").arg(clipWidth).arg(clipHeight),
                             QStringLiteral("-r"), QString::number(framesPerSecond),
                             QStringLiteral("-i"), QStringLiteral("-")} +
                     encoder + QStringList{file});
    if (!ffmpeg.waitForStarted()) {
        throw std::runtime_error("cannot start ffmpeg: " + ffmpeg.errorString().toStdString());
    }
    for (int i = 0; i < count; ++i) {
        const QImage image = frame(title, i, count);
        for (int y = 0; y < image.height(); ++y) {
            ffmpeg.write(reinterpret_cast<const char*>(image.constScanLine(y)), clipWidth * 3);
        }
        ffmpeg.waitForBytesWritten(-1);
    }
    ffmpeg.closeWriteChannel();
    ffmpeg.waitForFinished(-1);
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        throw std::runtime_error("ffmpeg could not write " + file.toStdString() + ": " +
                                 ffmpeg.readAllStandardError().trimmed().toStdString());
    }
}

int writeDemoVideos(const QString& folder) {
    int made = 0;
    for (const DemoVideo& video : demoVideos(folder)) {
        if (QFileInfo::exists(video.file)) {
            continue;
        }
        if (!QDir().mkpath(QFileInfo(video.file).absolutePath())) {
            throw std::runtime_error("cannot create the folder of " + video.file.toStdString());
        }
        // Written aside and renamed, so that an interrupted run leaves no broken clip behind.
        const QString part = QFileInfo(video.file).absolutePath() + QStringLiteral("/part-") +
                             QFileInfo(video.file).fileName();
        writeExerciseClip(part, video.exercise, demoClipSeconds);
        if (!QFile::rename(part, video.file)) {
            throw std::runtime_error("cannot name " + video.file.toStdString());
        }
        ++made;
    }
    return made;
}

} // namespace demo
