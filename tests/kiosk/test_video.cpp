// Exercise videos: real clips played by the video window, opened from equipment mode and from
// the series window, and the machine-code look-up of equipment mode.
#include "DataGrid.h"
#include "KioskFixture.h"
#include "SeriesWindow.h"
#include "TestBackends.h"
#include "TextHelpers.h"
#include "VideoWindow.h"

#include <QLabel>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString missingVideo = QStringLiteral("Arquivo Video inexistente !\r Windows Media Player");

class Equipment : public KioskTest {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        setSetting(QStringLiteral("Terminal_Video_Aparelho"), QStringLiteral("'Sim'"));
    }
    // Types a machine code whose video plays; returns how long its window was up.
    qint64 playMachine(const QString& code, std::function<void(VideoWindow&)> whileShown = {}) {
        QElapsedTimer up;
        onModal<VideoWindow>([&](VideoWindow& video) {
            up.start();
            if (whileShown) {
                whileShown(video);
            }
        });
        enter(machineField(), code);
        EXPECT_TRUE(up.isValid()) << "no video window";
        return up.isValid() ? up.elapsed() : 0;
    }
    QLineEdit* machineField() { return (kiosk ? *kiosk : openKiosk()).machineEdit; }
};

class EveryFormat : public Equipment, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryFormat, AVideoThatEndsClosesItsWindowAndEmptiesTheMachineField) {
    const QString file = clip(QString::fromLatin1(GetParam()));
    setVideo(QStringLiteral("101"), file);
    QString played;
    const qint64 shownFor =
        playMachine(QStringLiteral("12"), [&](VideoWindow& video) { played = video.videoPath; });
    // Played to its end (1.5 s), then closed at the next check of the position.
    EXPECT_GE(shownFor, 1200);
    EXPECT_LE(shownFor, 3500);
    EXPECT_EQ(played, file);
    EXPECT_TRUE(kiosk->machineEdit->text().isEmpty());
    EXPECT_TRUE(noWindowOf<VideoWindow>());
    EXPECT_TRUE(messages.texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, ::testing::Values("mp4", "wmv", "avi", "webm"));

TEST_F(Equipment, EscClosesAPlayingVideoAtOnce) {
    setVideo(QStringLiteral("101"), clip(QStringLiteral("mp4"), 6.0));
    playMachine(QStringLiteral("012"), [&](VideoWindow& video) {
        QTest::qWait(1200);
        EXPECT_TRUE(video.isVisible());
        EXPECT_GT(video.player->controls().currentPosition(), 0.0);
        EXPECT_EQ(video.windowTitle(), QStringLiteral("Video Aula"));
        QTest::keyClick(video.player->widget(), Qt::Key_Escape);
        EXPECT_FALSE(video.isVisible());
    });
    EXPECT_TRUE(kiosk->machineEdit->text().isEmpty());
}

TEST_F(Equipment, AFileThePlayerRefusesIsReportedAndTheKioskCarriesOn) {
    setVideo(QStringLiteral("101"), notAVideo());
    enter(machineField(), QStringLiteral("12"));
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Arquivo Video incompátivel !\r Windows Media Player")});
    EXPECT_TRUE(kiosk->isVisible());
    EXPECT_TRUE(kiosk->machineEdit->text().isEmpty());
    EXPECT_TRUE(noWindowOf<VideoWindow>());
}

// A player of the test's own for what no real file brings about at will here: a media that never
// finishes loading (a stalled network mount), a stream that stops moving, a good file refused at
// its first load (GStreamer's MP4 demuxer under load).
class ScriptedPlayer : public platform::MediaPlayer, public platform::MediaControls {
public:
    struct Script {
        bool loading = false;
        std::vector<double> positions{0}; // read one after the other, the last one for good
        int failedLoads = 0;
    };
    ScriptedPlayer(QWidget* parent, Script script, QStringList& loads)
        : m_widget(new QWidget(parent))
        , m_script(std::move(script))
        , m_loads(loads) {}
    QWidget* widget() override { return m_widget; }
    void close() override {}
    void setURL(const QString& path) override {
        if (path.isEmpty()) {
            return;
        }
        m_loads.append(path);
        if (m_loads.size() <= m_script.failedLoads) {
            QTimer::singleShot(0, m_widget, [this] { onError(QStringLiteral("not-linked")); });
        }
    }
    platform::MediaControls& controls() override { return *this; }
    QImage currentFrame() const override { return {}; }
    void play() override {}
    double currentPosition() const override {
        return m_script.positions[std::min(m_reads++, m_script.positions.size() - 1)];
    }
    bool loading() const override { return m_script.loading; }

private:
    QWidget* m_widget; // its parent's
    Script m_script;
    QStringList& m_loads;
    mutable size_t m_reads = 0;
};

class Scripted : public Equipment {
protected:
    // Plays machine 012 on a player following script, its once-a-second check made every 20 ms;
    // returns the number of checks until the window closed (at most 3 s).
    int playScripted(ScriptedPlayer::Script script) {
        setVideo(QStringLiteral("101"), notAVideo()); // a regular file: what is in it is not read
        const TestBackends scripted([&](platform::Backends& backends) {
            backends.createMediaPlayer =
                [&](QWidget* parent) -> std::unique_ptr<platform::MediaPlayer> {
                return std::make_unique<ScriptedPlayer>(parent, script, loads);
            };
        });
        int checks = 0;
        playMachine(QStringLiteral("12"), [&](VideoWindow& video) {
            EXPECT_EQ(video.playbackTimer->interval(), 1000);
            QObject::connect(video.playbackTimer, &QTimer::timeout, [&] { ++checks; });
            video.playbackTimer->start(20); // the same check, quicker
            if (!QTest::qWaitFor([&] { return !video.isVisible(); }, 3000)) {
                video.close();
            }
        });
        EXPECT_TRUE(kiosk->machineEdit->text().isEmpty());
        return checks;
    }
    QStringList loads;
};

TEST_F(Scripted, AVideoStillLoadingAtTheTenthSecondIsRefused) {
    EXPECT_EQ(playScripted({.loading = true}), 10);
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Arquivo Video incompátivel !\r Windows Media Player")});
}

// Paused or stalled: the position stays where it was.
TEST_F(Scripted, AVideoThatStopsMovingClosesAfterFiveSeconds) {
    EXPECT_EQ(playScripted({.positions = {0.4, 0.9, 0.9, 0.9, 0.9, 0.9, 0.9}}), 7);
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Scripted, AGoodFileRefusedAtItsFirstLoadIsLoadedOnceMore) {
    EXPECT_EQ(playScripted({.positions = {0.5, 1.0, 0.0}, .failedLoads = 1}), 3);
    EXPECT_EQ(loads, QStringList(2, notAVideo()));
    EXPECT_TRUE(messages.texts().isEmpty());
}

// Only a regular file is a video: the player would wait for ever on a FIFO nobody writes to.
TEST_F(Equipment, AFifoAFolderOrADeviceIsNoVideoAndTheWindowNeverFreezes) {
    const QString fifo = QDir(folder()).filePath(QStringLiteral("pipe.mp4"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QStringList paths{fifo, folder(), QStringLiteral("/dev/null")};
    QString machine = QStringLiteral("020");
    for (const QString& path : paths) {
        palendra({QStringLiteral("INSERT INTO EXERCICIOS (CODIGO, DESCRICAO, DESCRICAOABREVIADA, "
                                 "APARELHO, Caminho_Video, TIPO) VALUES ('%1', 'x', 'x', '%1', "
                                 "'%2', 'N')")
                      .arg(machine, path)});
        machine = QString::number(machine.toInt() + 1).rightJustified(3, QLatin1Char('0'));
    }
    KioskWindow& k = openKiosk();
    for (int i = 0; i < paths.size(); ++i) {
        messages.clear();
        FreezeMeter freeze;
        enter(k.machineEdit, QString::number(20 + i));
        QTest::qWait(50); // the meter's next turn
        EXPECT_EQ(messages.texts(), QStringList{missingVideo}) << paths[i].toStdString();
        EXPECT_TRUE(k.machineEdit->text().isEmpty());
        EXPECT_LT(freeze.longestMs(), 1000) << paths[i].toStdString();
        if (i == 0) {
            RecordProperty("fifo_longest_freeze_ms", static_cast<int>(freeze.longestMs()));
        }
    }
    EXPECT_TRUE(noWindowOf<VideoWindow>());
}

// The path checked was a file; a FIFO took its place before the video window opened it. A player
// opening it on the window's thread would wait for a writer: the test's writer comes after 3 s,
// and again until the window is done.
TEST_F(Equipment, AFifoInTheFilesPlaceWhenTheWindowOpensItIsRefusedWithoutAFreeze) {
    const QString fifo = QDir(folder()).filePath(QStringLiteral("was-a-file.mp4"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::atomic<bool> done = false;
    std::thread writer([&] {
        for (int i = 0; i < 300 && !done; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
        }
    });
    KioskWindow& k = openKiosk();
    // The process's first player loads GStreamer and probes the sound outputs: no part of the open.
    platform::createMediaPlayer(&k).reset();
    FreezeMeter freeze;
    showVideoWindow(&k, fifo, {}, nullptr);
    QTest::qWait(50); // the meter's next turn
    done = true;
    writer.join();
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Arquivo Video incompátivel !\r Windows Media Player")});
    EXPECT_LT(freeze.longestMs(), 1000);
    RecordProperty("fifo_open_longest_freeze_ms", static_cast<int>(freeze.longestMs()));
}

TEST_F(Equipment, CodesArePaddedUnknownOnesWarnNullPathsDoNothing) {
    setVideo(QStringLiteral("101"), QDir(folder()).filePath(QStringLiteral("gone.mp4")));
    KioskWindow& k = openKiosk();
    EXPECT_TRUE(k.machinePanel->isVisible());
    enter(k.machineEdit, QStringLiteral("12")); // machine 012, its file is missing
    EXPECT_EQ(messages.texts(), QStringList{missingVideo});
    EXPECT_TRUE(k.machineEdit->text().isEmpty());
    enter(k.machineEdit, QStringLiteral("99"));
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Código INCORRETO !\r Aparelho"));
    EXPECT_TRUE(k.machineEdit->text().isEmpty());
    messages.clear();
    enter(k.machineEdit, QStringLiteral("13")); // Leg Press, no video path
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(k.machineEdit->text(), QStringLiteral("013"));

    k.machineEdit->setText(QStringLiteral("1a"));
    QChar enterKey(13);
    EXPECT_THROW(k.machineKey(enterKey), ConversionError);
    EXPECT_EQ(k.machineEdit->text(), QStringLiteral("1a"));
    QTest::keyClick(k.machineEdit, Qt::Key_Escape);
    EXPECT_FALSE(k.isVisible());
}

TEST_F(Equipment, WithAKeypadTheWarningsGoToTheRedLabel) {
    setSetting(QStringLiteral("PINPAD"), QStringLiteral("'COM9'"));
    setVideo(QStringLiteral("101"), QDir(folder()).filePath(QStringLiteral("gone.mp4")));
    KioskWindow& k = openKiosk();
    k.keypadTyping = false; // as the keypad handler does around its calls
    enter(k.machineEdit, QStringLiteral("99"));
    EXPECT_EQ(k.machineWarning->text(), QStringLiteral("Dado INCORRETO ! Aparelho"));
    enter(k.machineEdit, QStringLiteral("12"));
    EXPECT_EQ(k.machineWarning->text(), QStringLiteral("Arquivo Video inexistente ! "));
    EXPECT_TRUE(k.machineWarning->isHidden());
    EXPECT_EQ(pauses.pauses(), (std::vector<int>{2000, 2000}));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Equipment, SeveralExercisesOnOneMachinePlayTheFirstOne) {
    palendra({QStringLiteral("INSERT INTO EXERCICIOS (CODIGO, DESCRICAO, DESCRICAOABREVIADA, "
                             "APARELHO, Caminho_Video, TIPO) VALUES ('103', 'Supino Fechado', "
                             "'Supino F.', '012', '/nowhere/gone.mp4', 'N')")});
    setVideo(QStringLiteral("101"), clip(QStringLiteral("webm")));
    QString played;
    EXPECT_GT(
        playMachine(QStringLiteral("12"), [&](VideoWindow& video) { played = video.videoPath; }),
        0);
    EXPECT_EQ(played, clip(QStringLiteral("webm")));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(KioskTest, AVideoFromTheSeriesRestartsItsIdleTimeOutWhenItEnds) {
    setSetting(QStringLiteral("SERIEEMVIDEO"), QStringLiteral("'Sim'"));
    setVideo(QStringLiteral("102"), clip(QStringLiteral("mp4")));
    bool played = false;
    onModal<SeriesWindow>([&](SeriesWindow& s) {
        onModal<VideoWindow>([&](VideoWindow&) {
            played = true;
            EXPECT_FALSE(s.idleTimer->isActive()); // stopped by the look-up
        });
        doubleClickRow(*s.strengthGrid[0], 1);
        EXPECT_TRUE(played);
        EXPECT_TRUE(s.idleTimer->isActive());
        EXPECT_GT(s.idleTimer->remainingTime(), s.idleTimer->interval() - 1000); // a full interval
        s.close();
    });
    KioskWindow& k = openKiosk();
    enter(k.enrolmentEdit, QStringLiteral("42"));
    enter(k.workoutEdit, QStringLiteral("1"));
    EXPECT_TRUE(played);
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
