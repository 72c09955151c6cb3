#include "MediaPlayer.h"

#include "OffThread.h"

#include <QFileInfo>

namespace platform {

bool isVideoFile(const QString& path) {
    return askOffThread([path] { return QFileInfo(path).isFile(); }, videoWaitMs).value_or(false);
}

} // namespace platform
