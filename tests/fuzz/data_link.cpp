// Data-link files as the terminal reads them (UTF-16 with a byte-order mark, or UTF-8). A file read
// gives back what it was given: its properties written out again, as an init string and as a
// Windows data-link file, read as the same properties. The ODBC connection string made of them
// reads back, through the terminal's own reader of such strings, as the file's catalogue, user and
// password, with no part more or less.
#include "DataLink.h"
#include "FuzzSupport.h"
#include "ServerAddressParts.h"

#include <QFile>
#include <QTemporaryDir>

#include <utility>

using platform::DataLinkError;
using platform::DataLinkProperties;
using platform::serveraddress::OdbcPart;
using platform::serveraddress::odbcParts;

namespace {

QString dataLinkFile() {
    static const QTemporaryDir folder;
    return folder.filePath(QStringLiteral("fuzz.udl"));
}

void writeFile(const QByteArray& bytes) {
    QFile file(dataLinkFile());
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the data-link file");
    file.write(bytes);
}

// Every value quoted, a quote inside doubled.
QString initStringOf(const DataLinkProperties& properties) {
    QStringList parts;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        QString value = it.value();
        value.replace(QLatin1Char('"'), QLatin1String("\"\""));
        parts << it.key() + QLatin1String("=\"") + value + QLatin1Char('"');
    }
    return parts.join(QLatin1Char(';'));
}

// As Windows saves it: UTF-16LE with a byte-order mark, CR LF line ends.
QByteArray windowsDataLink(const QString& initString) {
    const QString text = QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB "
                                        "initstring\r\n") +
                         initString + QStringLiteral("\r\n");
    QByteArray bytes("\xFF\xFE");
    for (const QChar unit : text) {
        bytes.append(char(unit.unicode() & 0xFF)).append(char(unit.unicode() >> 8));
    }
    return bytes;
}

void checkWrittenBack(const DataLinkProperties& properties) {
    const QString initString = initStringOf(properties);
    check(platform::parseInitString(initString, QStringLiteral("written")) == properties,
          "the init string written back reads as other properties");
    if (initString.contains(QLatin1Char('\r')) || initString.contains(QLatin1Char('\n'))) {
        return; // one line of the file holds the whole init string
    }
    writeFile(windowsDataLink(initString));
    check(platform::readDataLinkFile(dataLinkFile()) == properties,
          "the data-link file written back reads as other properties");
}

// The value of the first key that matches without regard to case, as the terminal looks it up.
QString property(const DataLinkProperties& properties, const QString& key) {
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0) {
            return it.value();
        }
    }
    return {};
}

bool isSqlServer(const DataLinkProperties& properties) {
    const QString family =
        property(properties, QStringLiteral("Provider")).trimmed().section(QLatin1Char('.'), 0, 0);
    return family.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) == 0 ||
           family.startsWith(QLatin1String("SQLNCLI"), Qt::CaseInsensitive) ||
           family.compare(QLatin1String("MSOLEDBSQL"), Qt::CaseInsensitive) == 0;
}

// The keys of a connection string with the values that matter, in order.
void checkParts(const QString& odbc, const QList<std::pair<QString, QString>>& expected) {
    const QList<OdbcPart> parts = odbcParts(odbc);
    check(parts.size() == expected.size(), "parts of the connection string added or lost");
    for (qsizetype i = 0; i < parts.size(); ++i) {
        check(parts.at(i).key == expected.at(i).first, "a part of the connection string moved");
        check(expected.at(i).second.isNull() || parts.at(i).value == expected.at(i).second,
              "a value of the connection string reads back as another");
    }
}

// SQL Server through FreeTDS: DRIVER, SERVER, [PORT], [DATABASE], [UID, PWD], then two options.
void checkFreeTdsString(const DataLinkProperties& properties, const QString& odbc) {
    const QString source = property(properties, QStringLiteral("Data Source")).trimmed();
    const bool port = !source.section(QLatin1Char(','), 1).trimmed().isEmpty();
    const QString catalog = property(properties, QStringLiteral("Initial Catalog"));
    const QString user = property(properties, QStringLiteral("User ID"));
    QList<std::pair<QString, QString>> expected{{QStringLiteral("DRIVER"), QString()},
                                                {QStringLiteral("SERVER"), QString()}};
    if (port) {
        expected.append({QStringLiteral("PORT"), QString()});
    }
    if (!catalog.isEmpty()) {
        expected.append({QStringLiteral("DATABASE"), catalog});
    }
    if (!user.isEmpty()) {
        expected.append({QStringLiteral("UID"), user});
        expected.append({QStringLiteral("PWD"), property(properties, QStringLiteral("Password"))});
    }
    expected.append({QStringLiteral("ClientCharset"), QString()});
    expected.append({QStringLiteral("MARS_Connection"), QString()});
    checkParts(odbc, expected);
}

void checkSqlTarget(const DataLinkProperties& properties) {
    platform::SqlTarget target;
    try {
        target = platform::sqlTargetFor(properties, dataLinkFile());
    } catch (const DataLinkError&) {
        return;
    }
    check(!target.databaseName.isEmpty(), "a target without a database");
    if (isSqlServer(properties)) {
        checkFreeTdsString(properties, target.databaseName);
    } else if (target.driver == QLatin1String("QODBC") &&
               property(properties, QStringLiteral("Extended Properties")).isEmpty()) {
        checkParts(target.databaseName,
                   {{QStringLiteral("DSN"), property(properties, QStringLiteral("Data Source"))}});
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    DataLinkProperties properties;
    try {
        properties = platform::readDataLinkFile(dataLinkFile());
    } catch (const DataLinkError&) {
        return 0;
    }
    checkWrittenBack(properties);
    checkSqlTarget(properties);
    return 0;
}
