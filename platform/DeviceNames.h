#pragma once

#include <QString>

// Windows programs open ports by device name ("COM3", "LPT1") as if they were files.
namespace platform {

// Maps a Windows device name to a path:
// - an absolute path is kept as it is;
// - a name without a slash that exists as /dev/<name> (a udev symlink such as /dev/COM3) is that;
// - COMn is /dev/ttyS<n-1> and LPTn is /dev/lp<n-1>, whatever the case;
// - anything else is a file in the current directory.
// devRoot exists for tests; production uses /dev.
QString resolveDeviceName(const QString& name, const QString& devRoot = QStringLiteral("/dev"));

} // namespace platform
