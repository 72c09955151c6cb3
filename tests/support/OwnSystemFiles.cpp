#include "OwnSystemFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

bool inOwnSystemFiles(const std::map<QString, QByteArray>& etcFiles) {
    const QString marker = QStringLiteral("SE_TEST_OWN_SYSTEM_FILES");
    if (qEnvironmentVariableIsSet(marker.toLatin1().constData())) {
        return true;
    }
    QTemporaryDir dir;
    QString script;
    for (const auto& [name, text] : etcFiles) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        script += QStringLiteral("mount --bind '%1' '/etc/%2' && ").arg(file.fileName(), name);
    }
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    script +=
        QStringLiteral("exec \"$0\" --gtest_filter=%1.%2")
            .arg(QString::fromLatin1(test->test_suite_name()), QString::fromLatin1(test->name()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(marker, QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    // unshare makes the new namespace's mounts private: the system's own files stay as they are.
    child.start(QStringLiteral("unshare"),
                {QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                 QCoreApplication::applicationFilePath()});
    const bool finished = child.waitForFinished(120000);
    EXPECT_TRUE(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        << child.readAll().toStdString();
    return false;
}

OwnOdbcIni::OwnOdbcIni(const QByteArray& text) {
    QFile file(m_dir.filePath(QStringLiteral("odbc.ini")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    qputenv("ODBCINI", file.fileName().toLocal8Bit());
}

OwnOdbcIni::~OwnOdbcIni() {
    qunsetenv("ODBCINI");
}
