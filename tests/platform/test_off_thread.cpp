// Calls made off the user-interface thread. A FIFO nobody writes to blocks its open for ever, as
// a look at a path on a dead network mount does.
#include "MediaPlayer.h"
#include "OffThread.h"
#include "Recorders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void runEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class OffThread : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    }

    QTemporaryDir dir;
    QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
};

TEST_F(OffThread, OnlyARegularFileIsAVideoFile) {
    const QString file = dir.filePath(QStringLiteral("clip.mp4"));
    QFile clip(file);
    ASSERT_TRUE(clip.open(QIODevice::WriteOnly));
    clip.close();
    ASSERT_TRUE(QFile::link(file, dir.filePath(QStringLiteral("link.mp4"))));
    EXPECT_TRUE(platform::isVideoFile(file));
    EXPECT_TRUE(platform::isVideoFile(dir.filePath(QStringLiteral("link.mp4"))));
    EXPECT_FALSE(platform::isVideoFile(QFile::decodeName(fifo)));
    EXPECT_FALSE(platform::isVideoFile(dir.path()));
    EXPECT_FALSE(platform::isVideoFile(QStringLiteral("/dev/null")));
    EXPECT_FALSE(platform::isVideoFile(dir.filePath(QStringLiteral("gone.mp4"))));
}

TEST_F(OffThread, ACallThatBlocksIsGivenUpAtItsDeadlineAndItsLateAnswerTouchesNothing) {
    auto returned = std::make_shared<std::atomic<bool>>(false);
    FreezeMeter freeze;
    QElapsedTimer waited;
    waited.start();
    const std::optional<bool> answer = platform::askOffThread(
        [fifo = fifo, returned] {
            const int reader = ::open(fifo.constData(), O_RDONLY); // waits for a writer
            ::close(reader);
            returned->store(true);
            return true;
        },
        300);
    EXPECT_FALSE(answer.has_value());
    EXPECT_GE(waited.elapsed(), 250);
    EXPECT_LT(waited.elapsed(), 3000);
    runEventsFor(50);
    EXPECT_LT(freeze.longestMs(), 1000);

    // A writer comes at last: the call returns, into a question nobody waits for any more.
    int writer = -1;
    for (int tries = 0; writer < 0 && tries < 500; ++tries) {
        writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK); // once the reader is there
        runEventsFor(10);
    }
    ASSERT_GE(writer, 0);
    for (int tries = 0; !returned->load() && tries < 500; ++tries) {
        runEventsFor(10);
    }
    ::close(writer);
    EXPECT_TRUE(returned->load());
    runEventsFor(100);
}

} // namespace
