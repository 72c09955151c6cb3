// The sample data-link files the package ships must read as the terminal reads /etc/se, and the
// other providers their comments show must be valid lines too.
#include "DataLink.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QString samplePath(const QString& name) {
    return QStringLiteral(SE_PACKAGING_DIR "/") + name;
}

// The commented example lines ("; Provider=...") of a sample.
QStringList commentedProviderLines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList lines;
    const QRegularExpression example(QStringLiteral("^;\\s+(Provider=.*)$"));
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = example.match(line);
        if (match.hasMatch()) {
            lines << match.captured(1);
        }
    }
    return lines;
}

} // namespace

TEST(SampleDataLinks, ReachSqlServerThroughFreeTds) {
    for (const auto& [file, catalog] :
         {std::pair{"Palendra.udl", "PALENDRA"}, std::pair{"Quorvel.udl", "QUORVEL"}}) {
        SCOPED_TRACE(file);
        const QString path = samplePath(QString::fromLatin1(file));
        const platform::SqlTarget target =
            platform::sqlTargetFor(platform::readDataLinkFile(path), path);
        EXPECT_EQ(target.driver, "QODBC");
        EXPECT_EQ(target.databaseName,
                  QStringLiteral("DRIVER={FreeTDS};SERVER=GYMSERVER\\SQLEXPRESS;PORT=1433;"
                                 "DATABASE=%1;UID=terminal;PWD=change-me;ClientCharset=UTF-8;"
                                 "MARS_Connection=Yes")
                      .arg(QString::fromLatin1(catalog)));
    }
}

TEST(SampleDataLinks, CommentedProvidersAreValidLines) {
    for (const char* file : {"Palendra.udl", "Quorvel.udl"}) {
        SCOPED_TRACE(file);
        const QString path = samplePath(QString::fromLatin1(file));
        const QStringList examples = commentedProviderLines(path);
        ASSERT_EQ(examples.size(), 3);
        for (const QString& line : examples) {
            SCOPED_TRACE(line.toStdString());
            EXPECT_NO_THROW(platform::sqlTargetFor(platform::parseInitString(line, path), path));
        }
    }
}
