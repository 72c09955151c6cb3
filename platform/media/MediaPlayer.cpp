#include "MediaPlayer.h"

#include "OffThread.h"

#include <QFileInfo>

namespace platform {

namespace {

MediaPlayerFactory& installedFactory() {
    static MediaPlayerFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<MediaPlayer> createMediaPlayer(QWidget* parent) {
    const MediaPlayerFactory& factory = installedFactory();
    return factory ? factory(parent) : createQtMediaPlayer(parent);
}

MediaPlayerFactory setMediaPlayerFactory(MediaPlayerFactory factory) {
    return std::exchange(installedFactory(), std::move(factory));
}

bool isVideoFile(const QString& path) {
    return askOffThread([path] { return QFileInfo(path).isFile(); }, videoWaitMs).value_or(false);
}

} // namespace platform
