#include "OwnSystemFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

bool inOwnSystemFiles(const std::map<QString, QByteArray>& etcFiles) {
    const char* const marker = "SE_TEST_OWN_SYSTEM_FILES";
    if (qEnvironmentVariableIsSet(marker)) {
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
    script += QStringLiteral("export %1=1 && exec \"$0\" --gtest_filter=%2.%3")
                  .arg(QString::fromLatin1(marker), QString::fromLatin1(test->test_suite_name()),
                       QString::fromLatin1(test->name()));
    // unshare makes the new namespace's mounts private: the system's own files stay as they are.
    std::vector<QByteArray> words{"unshare",
                                  "--mount",
                                  "sh",
                                  "-c",
                                  script.toLocal8Bit(),
                                  QCoreApplication::applicationFilePath().toLocal8Bit()};
    std::vector<char*> argv;
    for (QByteArray& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    // A plain fork, not QProcess: ThreadSanitizer does not see QProcess's clone, and then reports
    // races that are not there. The child's output goes to the test's own.
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = -1;
    QElapsedTimer clock;
    clock.start();
    while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
        if (clock.hasExpired(120000)) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        usleep(10000);
    }
    EXPECT_TRUE(child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the test failed in its process with files of its own in /etc (output above)";
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
