#include "DataLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace platform {
namespace {

[[noreturn]] void fail(const QString& source, const QString& what) {
    throw DataLinkError(QStringLiteral("%1: %2").arg(source, what).toStdString());
}

QString decode(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) {
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.mid(3));
    }
    return QString::fromUtf8(bytes);
}

QString propertyValue(const DataLinkProperties& properties, const QString& key) {
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0) {
            return it.value();
        }
    }
    return {};
}

// Data Source of SQL Server: server[\instance][,port]
QString freeTdsConnectionString(const DataLinkProperties& properties) {
    QString server = propertyValue(properties, QStringLiteral("Data Source")).trimmed();
    QString port;
    const qsizetype comma = server.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        port = server.mid(comma + 1).trimmed();
        server = server.left(comma).trimmed();
    }
    QStringList parts{QStringLiteral("DRIVER={FreeTDS}"),
                      QStringLiteral("SERVER=") + odbcValue(server)};
    if (!port.isEmpty()) {
        parts << QStringLiteral("PORT=") + odbcValue(port);
    }
    const QString catalog = propertyValue(properties, QStringLiteral("Initial Catalog"));
    if (!catalog.isEmpty()) {
        parts << QStringLiteral("DATABASE=") + odbcValue(catalog);
    }
    const QString user = propertyValue(properties, QStringLiteral("User ID"));
    if (!user.isEmpty()) {
        parts << QStringLiteral("UID=") + odbcValue(user);
        parts << QStringLiteral("PWD=") +
                     odbcValue(propertyValue(properties, QStringLiteral("Password")));
    }
    // Several data sets read from one connection at a time (the login dialog holds the settings
    // and the operators open together); SQL Server allows that only with MARS.
    parts << QStringLiteral("ClientCharset=UTF-8") << QStringLiteral("MARS_Connection=Yes");
    return parts.join(QLatin1Char(';'));
}

} // namespace

QString odbcValue(const QString& value) {
    // Readers of the string trim an unbraced value of every kind of blank (tabs, line ends).
    if (value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{')) ||
        value.contains(QLatin1Char('}')) || (!value.isEmpty() && value.front().isSpace()) ||
        (!value.isEmpty() && value.back().isSpace())) {
        QString escaped = value;
        escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
        return QLatin1Char('{') + escaped + QLatin1Char('}');
    }
    return value;
}

DataLinkProperties parseInitString(const QString& initString, const QString& source) {
    DataLinkProperties properties;
    qsizetype at = 0;
    const qsizetype length = initString.size();
    while (at < length) {
        const qsizetype equals = initString.indexOf(QLatin1Char('='), at);
        const qsizetype semicolon = initString.indexOf(QLatin1Char(';'), at);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            const QString part = initString.mid(at, semicolon < 0 ? -1 : semicolon - at).trimmed();
            if (!part.isEmpty()) {
                // The part is not quoted: it may be the tail of a password cut at a semicolon.
                fail(source, QStringLiteral("a part without Key=Value"));
            }
            at = semicolon < 0 ? length : semicolon + 1;
            continue;
        }
        const QString key = initString.mid(at, equals - at).trimmed();
        if (key.isEmpty()) {
            fail(source, QStringLiteral("a value without a key"));
        }
        qsizetype valueStart = equals + 1;
        while (valueStart < length && initString.at(valueStart) == QLatin1Char(' ')) {
            ++valueStart;
        }
        QString value;
        if (valueStart < length && (initString.at(valueStart) == QLatin1Char('"') ||
                                    initString.at(valueStart) == QLatin1Char('\''))) {
            // A quoted value; a doubled quote stands for one quote.
            const QChar quote = initString.at(valueStart);
            qsizetype i = valueStart + 1;
            bool closed = false;
            while (i < length) {
                if (initString.at(i) == quote) {
                    if (i + 1 < length && initString.at(i + 1) == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value += initString.at(i++);
            }
            if (!closed) {
                fail(source, QStringLiteral("unterminated quoted value of \"%1\"").arg(key));
            }
            while (i < length && initString.at(i) == QLatin1Char(' ')) {
                ++i;
            }
            if (i < length && initString.at(i) != QLatin1Char(';')) {
                fail(source, QStringLiteral("text after the quoted value of \"%1\"").arg(key));
            }
            at = i + 1;
        } else {
            const qsizetype end = semicolon < 0 ? length : semicolon;
            value = initString.mid(valueStart, end - valueStart).trimmed();
            at = end + 1;
        }
        properties.insert(key, value);
    }
    return properties;
}

DataLinkProperties readDataLinkFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        fail(path, QStringLiteral("data-link file not found"));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(path, QStringLiteral("cannot read the data-link file: ") + file.errorString());
    }
    // Split by hand: a regular expression matches nothing in text that is not valid UTF-16 (an
    // unpaired surrogate), and the whole file would be taken for one line.
    QString text = decode(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    QString initString;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.compare(QStringLiteral("[oledb]"), Qt::CaseInsensitive) == 0) {
            continue;
        }
        if (!initString.isEmpty()) {
            fail(path, QStringLiteral("more than one connection line"));
        }
        initString = line;
    }
    if (initString.isEmpty()) {
        fail(path, QStringLiteral("the data-link file holds no connection line"));
    }
    return parseInitString(initString, path);
}

SqlTarget sqlTargetFor(const DataLinkProperties& properties, const QString& dataLinkPath) {
    const QString provider = propertyValue(properties, QStringLiteral("Provider")).trimmed();
    const QString family = provider.section(QLatin1Char('.'), 0, 0).toUpper();
    if (family == QStringLiteral("SQLOLEDB") || family.startsWith(QStringLiteral("SQLNCLI")) ||
        family == QStringLiteral("MSOLEDBSQL")) {
        return {QStringLiteral("QODBC"), freeTdsConnectionString(properties)};
    }
    if (family == QStringLiteral("MSDASQL")) {
        QString odbc = propertyValue(properties, QStringLiteral("Extended Properties"));
        const QString dsn = propertyValue(properties, QStringLiteral("Data Source"));
        if (odbc.isEmpty() && !dsn.isEmpty()) {
            odbc = QStringLiteral("DSN=") + odbcValue(dsn);
        }
        if (odbc.isEmpty()) {
            fail(dataLinkPath,
                 QStringLiteral("provider MSDASQL without an ODBC connection string"));
        }
        return {QStringLiteral("QODBC"), odbc};
    }
    if (family == QStringLiteral("SQLITE")) {
        const QString file = propertyValue(properties, QStringLiteral("Data Source"));
        if (file.isEmpty()) {
            fail(dataLinkPath, QStringLiteral("provider SQLite without a Data Source file"));
        }
        return {QStringLiteral("QSQLITE"), QFileInfo(dataLinkPath).dir().absoluteFilePath(file)};
    }
    if (provider.isEmpty()) {
        fail(dataLinkPath, QStringLiteral("no Provider in the data-link file"));
    }
    fail(dataLinkPath, QStringLiteral("unknown provider \"%1\"").arg(provider));
}

QString dataLinkConnectionString(const QString& folder, const QString& fileName) {
    return QStringLiteral("FILE NAME=") + QDir(folder).filePath(fileName);
}

QString dataLinkPathOf(const QString& connectionString) {
    static const QString prefix = QStringLiteral("FILE NAME=");
    if (!connectionString.startsWith(prefix, Qt::CaseInsensitive)) {
        throw DataLinkError(QStringLiteral("not a data-link connection string: \"%1\"")
                                .arg(connectionString)
                                .toStdString());
    }
    return connectionString.mid(prefix.size()).trimmed();
}

} // namespace platform
