#include "DeviceNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace platform {

QString resolveDeviceName(const QString& name, const QString& devRoot) {
    if (QDir::isAbsolutePath(name)) {
        return name;
    }
    if (!name.isEmpty() && !name.contains(QLatin1Char('/'))) {
        const QString linked = devRoot + QLatin1Char('/') + name;
        if (QFileInfo::exists(linked)) {
            return linked;
        }
        static const QRegularExpression portName(QStringLiteral("^(COM|LPT)([1-9][0-9]*)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = portName.match(name);
        if (match.hasMatch()) {
            const int index = match.captured(2).toInt() - 1;
            const bool serial =
                match.captured(1).compare(QStringLiteral("COM"), Qt::CaseInsensitive) == 0;
            return devRoot + (serial ? QStringLiteral("/ttyS") : QStringLiteral("/lp")) +
                   QString::number(index);
        }
    }
    return QDir::current().filePath(name);
}

} // namespace platform
