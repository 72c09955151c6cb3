#include "MediaPlayer.h"

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

} // namespace platform
