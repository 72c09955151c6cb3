#include "MediaPlayer.h"

#include "Backends.h"
#include "OffThread.h"

#include <QFileInfo>

namespace platform {

std::unique_ptr<MediaPlayer> createMediaPlayer(QWidget* parent) {
    return backends().createMediaPlayer(parent);
}

bool isVideoFile(const QString& path) {
    return askOffThread([path] { return QFileInfo(path).isFile(); }, videoWaitMs).value_or(false);
}

} // namespace platform
