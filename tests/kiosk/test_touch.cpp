// A kiosk with a touch screen and nothing else: the keypad for fingers, touched through Qt's
// touch events on a touch screen of the test's own.
#include "DataGrid.h"
#include "MessageBox.h"
#include "SeriesWindow.h"
#include "TicketFixture.h"
#include "TouchKeypad.h"
#include "VideoWindow.h"

#include <QLabel>
#include <QMessageBox>
#include <QPointingDevice>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

class TouchKiosk : public Ticket {
protected:
    void SetUp() override {
        Ticket::SetUp();
        qunsetenv("SE_TOUCH_KEYPAD");
        touchScreen.reset(QTest::createTouchDevice());
    }
    void TearDown() override {
        qunsetenv("SE_TOUCH_KEYPAD");
        Ticket::TearDown();
    }

    // A finger landing at a point of the widget (its middle by default) and lifted there. Each
    // finger has a number of its own, as on a real screen: a touch may come while the last one's
    // work (a window it opened) is still going on.
    void touch(QWidget* widget, std::optional<QPoint> at = {}) {
        QWidget* window = widget->window();
        const QPoint point = at.value_or(widget->rect().center());
        const int finger = ++m_fingers;
        QTest::touchEvent(window, touchScreen.get()).press(finger, point, widget);
        QTest::touchEvent(window, touchScreen.get()).release(finger, point, widget);
    }
    void touchKeys(KioskWindow& k, const QStringList& keys) {
        for (const QString& key : keys) {
            ASSERT_NE(k.touchKeypad->key(key), nullptr) << key.toStdString();
            touch(k.touchKeypad->key(key));
        }
    }
    QByteArray ticket() const {
        QFile port(QDir(folder()).filePath(QStringLiteral("TKT")));
        return port.open(QIODevice::ReadOnly) ? port.readAll() : QByteArray();
    }
    static QRect placeIn(const QWidget& window, const QWidget& widget) {
        return {widget.mapTo(&window, QPoint()), widget.size()};
    }

    std::unique_ptr<QPointingDevice> touchScreen;
    int m_fingers = 0;
};

TEST_F(TouchKiosk, AMemberIsServedFromNumberToTicketByTouchAlone) {
    KioskWindow& k = openKiosk();
    ASSERT_NE(k.touchKeypad, nullptr);
    EXPECT_TRUE(k.touchKeypad->isVisible());
    const QRect pad = k.touchKeypad->geometry();
    for (const QWidget* kept : std::initializer_list<const QWidget*>{
             k.enrolmentEdit, k.memberName, k.workoutEdit, k.photoFrame, k.warning, k.exitButton}) {
        EXPECT_FALSE(pad.intersects(placeIn(k, *kept))) << kept->metaObject()->className();
    }
    EXPECT_TRUE(k.rect().contains(pad));
    const QScreen* screen = k.screen();
    const double pixelsPer15mm = 15.0 * screen->geometry().width() / screen->physicalSize().width();
    EXPECT_GE(k.touchKeypad->key(QStringLiteral("5"))->width(), pixelsPer15mm);

    touchKeys(k, {"1", "2", "3", "9", "Apaga", "4", "Entra"});
    EXPECT_EQ(k.memberName->text(), QStringLiteral("Conceição Aparecida Gonçalves Ribeiro"));
    EXPECT_EQ(k.enrolmentEdit->text(), QStringLiteral("0000001234"));
    // The workout field's own rule: digits 1 to 5 only.
    touchKeys(k, {"7", "1", "Entra"});
    EXPECT_EQ(ticket(), golden(QStringLiteral("full-by-name-a.bin")));
    EXPECT_TRUE(k.enrolmentEdit->isEnabled());
    EXPECT_TRUE(k.memberName->text().isEmpty());
    // Entra on an empty field does nothing.
    touchKeys(k, {"Entra"});
    EXPECT_TRUE(k.enrolmentEdit->isEnabled());
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
}

// Qt makes a mouse press of a touch nobody takes: a key taking both would type twice.
TEST_F(TouchKiosk, OneTouchIsOneKeyHoweverLongItIsHeld) {
    KioskWindow& k = openKiosk();
    QToolButton* four = k.touchKeypad->key(QStringLiteral("4"));
    QTest::touchEvent(&k, touchScreen.get()).press(0, four->rect().center(), four);
    EXPECT_TRUE(four->isDown()) << "the press shows";
    QTest::qWait(800);
    QTest::touchEvent(&k, touchScreen.get()).release(0, four->rect().center(), four);
    EXPECT_FALSE(four->isDown());
    EXPECT_EQ(k.enrolmentEdit->text(), QStringLiteral("4"));
    // A finger that slides off the key before lifting types nothing.
    QTest::touchEvent(&k, touchScreen.get()).press(0, four->rect().center(), four);
    QTest::touchEvent(&k, touchScreen.get())
        .release(0, four->rect().center() + QPoint(0, 300), four);
    EXPECT_EQ(k.enrolmentEdit->text(), QStringLiteral("4"));
    // A touch screen that reports itself as a mouse clicks the keys.
    QTest::mouseClick(k.touchKeypad->key(QStringLiteral("2")), Qt::LeftButton);
    EXPECT_EQ(k.enrolmentEdit->text(), QStringLiteral("42"));
}

TEST_F(TouchKiosk, EquipmentModeTakesAMachineCodeByTouch) {
    setSetting(QStringLiteral("Terminal_Video_Aparelho"), QStringLiteral("'Sim'"));
    KioskWindow& k = openKiosk();
    ASSERT_NE(k.touchKeypad, nullptr);
    EXPECT_FALSE(k.touchKeypad->geometry().intersects(placeIn(k, *k.machineWarning)));
    touchKeys(k, {"1", "0", "1", "7"});
    EXPECT_EQ(k.machineEdit->text(), QStringLiteral("101"));
}

TEST_F(TouchKiosk, TheVariableOverridesTheDetectionBothWaysAndASerialKeypadWins) {
    qputenv("SE_TOUCH_KEYPAD", "0");
    EXPECT_EQ(openKiosk().touchKeypad, nullptr) << "hidden on a touch screen";
    kiosk->close();
    touchScreen.reset();
    qputenv("SE_TOUCH_KEYPAD", "1");
    EXPECT_NE(openKiosk().touchKeypad, nullptr) << "shown without one";
    kiosk->close();
    qunsetenv("SE_TOUCH_KEYPAD");
    EXPECT_EQ(openKiosk().touchKeypad, nullptr) << "no touch screen";
    kiosk->close();
    touchScreen.reset(QTest::createTouchDevice());
    setSetting(QStringLiteral("PINPAD"), QStringLiteral("'COM9'"));
    EXPECT_EQ(openKiosk().touchKeypad, nullptr) << "a serial keypad";
}

TEST_F(TouchKiosk, ABoxClosesByItselfOnAKioskWithOnlyATouchScreen) {
    const TestBackends realBoxes(
        [](platform::Backends& backends) { backends.presentMessage = platform::showMessageBox; });
    KioskWindow& k = openKiosk();
    QElapsedTimer shown;
    // The main window's heartbeat goes on under the box, past a member action's time.
    std::optional<QString> foundUnderTheBox;
    onModal<QMessageBox>([&](QMessageBox&) {
        shown.start();
        QTimer::singleShot(memberActionLimit + std::chrono::seconds(1), [&] {
            try {
                foundUnderTheBox = k.tables.memberName(QStringLiteral("0000001234"));
            } catch (const DatabaseError&) {
            }
        });
    });
    touchKeys(k, {"9", "9", "Entra"});
    ASSERT_TRUE(shown.isValid());
    EXPECT_GE(shown.elapsed(), 9900);
    EXPECT_LE(shown.elapsed(), 13000);
    EXPECT_TRUE(k.enrolmentEdit->text().isEmpty());
    EXPECT_EQ(foundUnderTheBox, QStringLiteral("Conceição Aparecida Gonçalves Ribeiro"));
}

TEST_F(TouchKiosk, ATouchOnARowPlaysItsVideoAndATouchClosesTheVideo) {
    setSetting(QStringLiteral("SERIEEMVIDEO"), QStringLiteral("'Sim'"));
    setVideo(QStringLiteral("102"), clip(QStringLiteral("mp4"), 6.0));
    QString played;
    bool closedByTouch = false;
    onModal<SeriesWindow>([&](SeriesWindow& s) {
        onModal<VideoWindow>([&](VideoWindow& video) {
            played = video.videoPath;
            touch(video.player->widget());
            closedByTouch = !video.isVisible();
        });
        DataGrid& grid = *s.strengthGrid[0];
        touch(grid.viewport(), grid.visualRect(cellOf(grid, 1)).center());
        EXPECT_EQ(grid.currentIndex().row(), 1);
        s.close();
    });
    KioskWindow& k = openKiosk();
    touchKeys(k, {"4", "2", "Entra", "1", "Entra"});
    EXPECT_EQ(played, clip(QStringLiteral("mp4"), 6.0));
    EXPECT_TRUE(closedByTouch);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
}

} // namespace
