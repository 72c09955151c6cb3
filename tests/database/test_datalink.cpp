#include "DataLink.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray utf16WithBom(const QString& text) {
    return QByteArray("\xFF\xFE", 2) + QStringEncoder(QStringEncoder::Utf16LE).encode(text);
}

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::DataLinkError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(DataLinkFile, ReadsTheFileAsWindowsWritesIt) {
    QTemporaryDir dir;
    const QString path = writeFile(
        dir, "Palendra.udl",
        utf16WithBom(
            "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
            "Provider=SQLOLEDB.1;Password=s3cr;Qz7et;Persist Security Info=True;"
            "User ID=sa;Initial Catalog=Palendra;Data Source=SERVIDOR\\SQLEXPRESS,1433\r\n"));
    // An unquoted value ends at the first semicolon: "Qz7et" alone is malformed, and as a piece
    // of the password it stays out of the message, which reaches the error log.
    const std::string failure = failureOf([&] { platform::readDataLinkFile(path); });
    EXPECT_NE(failure.find("Palendra.udl"), std::string::npos);
    EXPECT_EQ(failure.find("Qz7et"), std::string::npos) << failure;

    const QString good = writeFile(
        dir, "Good.udl",
        utf16WithBom("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                     "Provider=SQLOLEDB.1;Password=\"s3cr;et\";User ID=sa;"
                     "Initial Catalog=Palendra;Data Source=SERVIDOR\\SQLEXPRESS,1433\r\n"));
    const platform::DataLinkProperties properties = platform::readDataLinkFile(good);
    EXPECT_EQ(properties.value("Password"), "s3cr;et");
    EXPECT_EQ(properties.value("Initial Catalog"), "Palendra");

    const platform::SqlTarget target = platform::sqlTargetFor(properties, good);
    EXPECT_EQ(target.driver, "QODBC");
    EXPECT_EQ(target.databaseName,
              "DRIVER={FreeTDS};SERVER=SERVIDOR\\SQLEXPRESS;PORT=1433;DATABASE=Palendra;"
              "UID=sa;PWD={s3cr;et};ClientCharset=UTF-8;MARS_Connection=Yes");
}

TEST(DataLinkFile, ReadsUtf8AndResolvesSqliteFilesBesideTheLink) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "Quorvel.udl",
                                   "\xEF\xBB\xBF[oledb]\nProvider=SQLite;Data Source=quorvel.db\n");
    const platform::SqlTarget target =
        platform::sqlTargetFor(platform::readDataLinkFile(path), path);
    EXPECT_EQ(target.driver, "QSQLITE");
    EXPECT_EQ(target.databaseName, QDir(dir.path()).filePath("quorvel.db"));
}

// Found by the fuzz target: text that is not valid UTF-16 was taken for one line, header and all.
TEST(DataLinkFile, ReadsItsLinesWhateverTheTextHolds) {
    QTemporaryDir dir;
    QByteArray bytes = utf16WithBom("[oledb]\r\n; a comment\r\nProvider=SQLite;Password=\"x");
    bytes.append("\x00\xDC", 2); // an unpaired surrogate
    bytes.append(
        QStringEncoder(QStringEncoder::Utf16LE).encode(QStringLiteral("\";Data Source=q.db\r\n")));
    const platform::DataLinkProperties properties =
        platform::readDataLinkFile(writeFile(dir, "Odd.udl", bytes));
    EXPECT_EQ(properties.value("Password"), QStringLiteral("x") + QChar(0xDC00));
    EXPECT_EQ(properties.value("Data Source"), "q.db");
}

// Found by the fuzz target: a value with a tab or a line end at an end read back trimmed.
TEST(DataLinkFile, ValuesWithBlanksAtTheirEndsAreBraced) {
    const platform::DataLinkProperties properties = platform::parseInitString(
        "Provider=SQLOLEDB.1;User ID=sa;Password=\"\tpw\";Data Source=srv", "x.udl");
    EXPECT_TRUE(platform::sqlTargetFor(properties, "x.udl").databaseName.contains("PWD={\tpw};"));
    EXPECT_EQ(platform::odbcValue("pw\n"), "{pw\n}");
    EXPECT_EQ(platform::odbcValue("a b"), "a b");
}

TEST(DataLinkFile, PassesAnOdbcStringThrough) {
    const QString odbc = "DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=5432;DATABASE=palendra";
    const auto properties = platform::parseInitString(
        "Provider=MSDASQL.1;Extended Properties=\"" + odbc + "\"", "x.udl");
    EXPECT_EQ(platform::sqlTargetFor(properties, "x.udl").databaseName, odbc);
    const auto dsn = platform::parseInitString("Provider=MSDASQL;Data Source=Academia", "x.udl");
    EXPECT_EQ(platform::sqlTargetFor(dsn, "x.udl").databaseName, "DSN=Academia");
}

TEST(DataLinkFile, NamesTheFileInEveryError) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("Palendra.udl");
    EXPECT_NE(failureOf([&] { platform::readDataLinkFile(missing); }).find(missing.toStdString()),
              std::string::npos);

    const QString unknown = writeFile(
        dir, "Unknown.udl", "[oledb]\nProvider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb\n");
    const std::string unknownError =
        failureOf([&] { platform::sqlTargetFor(platform::readDataLinkFile(unknown), unknown); });
    EXPECT_NE(unknownError.find("Unknown.udl"), std::string::npos);
    EXPECT_NE(unknownError.find("Microsoft.Jet.OLEDB.4.0"), std::string::npos);

    for (const QByteArray& bad :
         {QByteArray("[oledb]\nProvider=SQLite;this is not a pair\n"),
          QByteArray("[oledb]\nProvider=\"SQLite\n"), QByteArray("[oledb]\n; only a comment\n"),
          QByteArray("[oledb]\nProvider=SQLite;Data Source=a\nProvider=SQLite\n"),
          QByteArray("[oledb]\n=SQLite\n")}) {
        const QString path = writeFile(dir, "Bad.udl", bad);
        EXPECT_NE(failureOf([&] { platform::readDataLinkFile(path); }).find("Bad.udl"),
                  std::string::npos)
            << bad.toStdString();
    }
    const QString noProvider = writeFile(dir, "NoProvider.udl", "Data Source=a.db\n");
    EXPECT_NE(failureOf([&] {
                  platform::sqlTargetFor(platform::readDataLinkFile(noProvider), noProvider);
              }).find("NoProvider.udl"),
              std::string::npos);
}

TEST(DataLinkFile, ConnectionStringsNameTheFile) {
    EXPECT_EQ(platform::dataLinkConnectionString("/etc/se", "Palendra.udl"),
              "FILE NAME=/etc/se/Palendra.udl");
    EXPECT_EQ(platform::dataLinkPathOf("FILE NAME=/etc/se/Quorvel.udl"), "/etc/se/Quorvel.udl");
    EXPECT_EQ(platform::dataLinkPathOf("file name=C:\\SE\\Quorvel.udl"), "C:\\SE\\Quorvel.udl");
    EXPECT_THROW(platform::dataLinkPathOf("Provider=SQLOLEDB.1"), platform::DataLinkError);
}
