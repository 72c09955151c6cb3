// The kiosk in member mode: finding a member, the photo, choosing a workout and fetching it.
#include "JpegPhoto.h"
#include "KioskFixture.h"
#include "TextHelpers.h"

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include <chrono>
#include <climits>
#include <ctime>
#include <fstream>
#include <string>

namespace {

const QString notFound = QStringLiteral("Matrícula INCORRETA ! ");

QByteArray jpegOf(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QPainter(&image).fillRect(QRect(QPoint(0, 0), size / 2), Qt::yellow);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return bytes;
}

// A progressive JPEG: the decoder keeps every coefficient of the picture until its last scan.
QByteArray progressiveJpegOf(const QImage& image, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPG");
    writer.setProgressiveScanWrite(true);
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

QByteArray progressiveJpegOf(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return progressiveJpegOf(image);
}

// A picture of noise at the best quality: the most data a picture of its size can hold.
QByteArray noisyProgressiveJpegOf(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] = noise.generate();
        }
    }
    return progressiveJpegOf(image, 100);
}

// The same data with other dimensions in the frame header: the decoder takes the picture for
// that large, whatever the data holds.
QByteArray declaredAs(QByteArray jpeg, QSize size) {
    const qsizetype frame = jpeg.indexOf("\xFF\xC2");
    if (frame < 0) {
        return {};
    }
    jpeg[frame + 5] = char(size.height() >> 8);
    jpeg[frame + 6] = char(size.height() & 0xFF);
    jpeg[frame + 7] = char(size.width() >> 8);
    jpeg[frame + 8] = char(size.width() & 0xFF);
    return jpeg;
}

// Every scan after the first repeated: the decoder goes over the whole picture again for each.
QByteArray withLaterScansRepeated(const QByteArray& jpeg, int times) {
    // The first marker after the first scan's data: not a stuffed 0xFF and not a restart.
    qsizetype end = jpeg.indexOf("\xFF\xDA") + 2;
    while (end + 1 < jpeg.size() && !(uchar(jpeg[end]) == 0xFF && jpeg[end + 1] != 0 &&
                                      (uchar(jpeg[end + 1]) & 0xF8) != 0xD0)) {
        ++end;
    }
    const QByteArray laterScans = jpeg.mid(end, jpeg.size() - 2 - end);
    return jpeg.left(end) + laterScans.repeated(times) + QByteArray("\xFF\xD9");
}

long procStatusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string name;
    while (status >> name) {
        if (name == key) {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// The resident memory now, the peak counted again from here.
long residentKbFromHere() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return procStatusKb("VmRSS:");
}

std::chrono::milliseconds threadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::nanoseconds(now.tv_nsec));
}

// Writes a photo row through Qt's driver, so any bytes can go in.
void storePhoto(const QString& file, const QString& enrolment, const QVariant& photo) {
    const QString name = QStringLiteral("test-photo");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO FotosAlunos (MATRICULA, FOTO1) VALUES (?, ?)"));
        insert.addBindValue(enrolment);
        insert.addBindValue(photo);
        ASSERT_TRUE(insert.exec());
    }
    QSqlDatabase::removeDatabase(name);
}

bool atRest(const KioskWindow& k) {
    return k.enrolmentEdit->isEnabled() && k.enrolmentEdit->text().isEmpty() &&
           !k.workoutEdit->isEnabled() && k.workoutEdit->text().isEmpty() &&
           k.memberName->text().isEmpty() && !k.photo->isVisible();
}

class MemberMode : public KioskTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        if (GetParam()) {
            reachThroughOdbc();
        }
    }
};

TEST_P(MemberMode, OpensOnTheMemberPanelAndClosesItsTables) {
    KioskWindow& k = openKiosk();
    EXPECT_EQ(k.windowTitle(), QStringLiteral("Ficha de Exercícios"));
    EXPECT_EQ(k.size(), QSize(505, 285));
    EXPECT_TRUE(k.memberPanel->isVisible());
    EXPECT_FALSE(k.machinePanel->isVisible());
    EXPECT_TRUE(atRest(k));
    QTest::keyClick(k.enrolmentEdit, Qt::Key_Escape);
    EXPECT_FALSE(k.isVisible());
    EXPECT_FALSE(k.tables.members.isOpen());
    EXPECT_FALSE(k.tables.settings.isOpen());
}

TEST_P(MemberMode, EnrolmentIsPaddedToTenDigitsAndMatchedExactly) {
    KioskWindow& k = openKiosk();
    enter(k.enrolmentEdit, QStringLiteral("a4-2"));
    EXPECT_EQ(k.enrolmentEdit->text(), QStringLiteral("0000000042"));
    EXPECT_EQ(k.memberName->text(), QStringLiteral("Zé da Silva"));
    EXPECT_FALSE(k.enrolmentEdit->isEnabled());
    EXPECT_TRUE(k.workoutEdit->isEnabled());
    EXPECT_EQ(k.focusWidget(), k.workoutEdit);

    QTest::keyClick(k.workoutEdit, Qt::Key_Escape);
    EXPECT_TRUE(atRest(k));
    enter(k.enrolmentEdit, QStringLiteral("7")); // stored as "7", looked up as 0000000007
    EXPECT_EQ(messages.texts(), QStringList{notFound});
    EXPECT_TRUE(atRest(k));
    EXPECT_TRUE(pauses.pauses().empty());
}

TEST_P(MemberMode, EnterOnEmptyFieldsAndASpaceInTheNumber) {
    KioskWindow& k = openKiosk();
    QTest::keyClick(k.enrolmentEdit, Qt::Key_Return);
    EXPECT_TRUE(atRest(k));
    QTest::keyClicks(k.enrolmentEdit, QStringLiteral("4 2"));
    QChar enterKey(13);
    EXPECT_THROW(k.enrolmentKey(enterKey), ConversionError);
    EXPECT_EQ(k.enrolmentEdit->text(), QStringLiteral("4 2"));
    k.enrolmentEdit->setText(QStringLiteral("42"));
    k.enrolmentKey(enterKey);
    QTest::keyClick(k.workoutEdit, Qt::Key_Return);
    EXPECT_TRUE(k.workoutEdit->isEnabled());
    QTest::keyClicks(k.workoutEdit, QStringLiteral("06789x-"));
    EXPECT_TRUE(k.workoutEdit->text().isEmpty());
    enter(k.workoutEdit, QStringLiteral(" ")); // accepted, fetches nothing, back to rest
    EXPECT_TRUE(atRest(k));
    EXPECT_FALSE(k.queries.strength.isOpen());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_P(MemberMode, MemberSourceFollowsTheSettings) {
    palendra(knownMembers(QStringLiteral("ALUNOS")));
    palendra(
        {QStringLiteral("UPDATE ALUNOS SET NOME = 'Do Treino' WHERE MATRICULA = '0000000042'")});
    quorvel(knownMembers(QStringLiteral("ALUNOSATIVOS")));
    quorvel(
        {QStringLiteral("UPDATE ALUNOSATIVOS SET NOME = 'Ativo' WHERE MATRICULA = '0000000042'")});
    for (const auto& [pathExercicio, ativos, shown] :
         {std::tuple{"'Sim'", "'Sim'", "Do Treino"}, std::tuple{"'Não'", "'Sim'", "Ativo"},
          std::tuple{"'Não'", "'Não'", "Zé da Silva"}}) {
        setSetting(QStringLiteral("PATH_EXERCICIO"), QString::fromUtf8(pathExercicio));
        setSetting(QStringLiteral("AlunosAtivos"), QString::fromUtf8(ativos));
        KioskWindow& k = openKiosk();
        enter(k.enrolmentEdit, QStringLiteral("42"));
        EXPECT_EQ(k.memberName->text(), QString::fromUtf8(shown)) << pathExercicio << ativos;
        k.close();
    }
}

TEST_P(MemberMode, UnreadableMemberTableClosesTheWindow) {
    quorvel({QStringLiteral("DROP TABLE ALUNOS")});
    KioskWindow& k = openKiosk();
    QTest::qWait(20);
    EXPECT_FALSE(k.isVisible());
    EXPECT_EQ(messages.texts(), QStringList({
                                    QStringLiteral("Abertura de tabela ! Alunos"),
                                    QStringLiteral("Registro já alocado "),
                                }));
}

// A record from an older back office, or none at all: the kiosk does not open, and the menu
// opens it again once the record is whole.
TEST_F(KioskTest, SettingsWithoutAKioskColumnOrWithoutARowFailTheOpening) {
    // A column read only once a workout is fetched; then the column back and no row.
    for (const QStringList& broken :
         {QStringList{QStringLiteral("ALTER TABLE Secvar DROP COLUMN SERIEEMVIDEO")},
          QStringList{QStringLiteral("ALTER TABLE Secvar ADD COLUMN SERIEEMVIDEO VARCHAR(3)"),
                      QStringLiteral("DELETE FROM Secvar")}}) {
        palendra(broken);
        KioskWindow& k = openKiosk();
        QTest::qWait(20);
        EXPECT_FALSE(k.isVisible()) << broken.join('|').toStdString();
        EXPECT_EQ(messages.texts(), QStringList({
                                        QStringLiteral("Abertura de tabela ! Controle"),
                                        QStringLiteral("Registro já alocado "),
                                    }))
            << broken.join('|').toStdString();
        messages.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(SqliteAndOdbc, MemberMode, ::testing::Bool(),
                         [](const auto& paramInfo) { return paramInfo.param ? "odbc" : "sqlite"; });

TEST_F(KioskTest, KeypadLocksTheKeyboardOutButEscStillLeaves) {
    setSetting(QStringLiteral("PINPAD"), QStringLiteral("'COM9'"));
    KioskWindow& k = openKiosk();
    k.keypadTyping = true;
    QTest::keyClicks(k.enrolmentEdit, QStringLiteral("42"));
    QApplication::clipboard()->setText(QStringLiteral("42"));
    k.enrolmentEdit->paste();
    EXPECT_TRUE(k.enrolmentEdit->text().isEmpty());
    k.keypadTyping = false; // as the keypad handler does around its calls
    enter(k.enrolmentEdit, QStringLiteral("99"));
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(pauses.pauses(), std::vector<int>{2000});
    EXPECT_TRUE(k.warning->isHidden());
    EXPECT_EQ(k.warning->text(), QStringLiteral("Matrícula INCORRETA !"));
    k.keypadTyping = true;
    QTest::keyClick(k.enrolmentEdit, Qt::Key_Escape);
    EXPECT_FALSE(k.isVisible());
}

// Delete types U+007F on some systems; pasted and dropped text meet the key filters.
TEST_F(KioskTest, DeleteEditsTheFieldsAndPastedOrDroppedTextIsFilteredAsTyped) {
    KioskWindow& k = openKiosk();
    QTest::keyClicks(k.enrolmentEdit, QStringLiteral("142"));
    k.enrolmentEdit->setCursorPosition(0);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f)));
    QApplication::sendEvent(k.enrolmentEdit, &del);
    EXPECT_EQ(k.enrolmentEdit->text(), QStringLiteral("42"));

    QApplication::clipboard()->setText(QStringLiteral("a1-2\r"));
    k.enrolmentEdit->paste();
    EXPECT_EQ(k.enrolmentEdit->text(), QStringLiteral("1242"));
    EXPECT_EQ(k.enrolmentEdit->cursorPosition(), 2);
    QMimeData dragged;
    dragged.setText(QStringLiteral("x7y"));
    const QPoint middle = k.enrolmentEdit->rect().center();
    QDragEnterEvent enterDrag(middle, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(k.enrolmentEdit, &enterDrag);
    QDropEvent drop(middle, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(k.enrolmentEdit, &drop);
    EXPECT_EQ(k.enrolmentEdit->text().remove(QLatin1Char('7')), QStringLiteral("1242"));
    EXPECT_EQ(k.enrolmentEdit->text().size(), 5);
    k.enrolmentEdit->setText(QStringLiteral("42"));
    QTest::keyClick(k.enrolmentEdit, Qt::Key_Return);
    QApplication::clipboard()->setText(QStringLiteral("86"));
    k.workoutEdit->paste();
    EXPECT_TRUE(k.workoutEdit->text().isEmpty());
    QTest::keyClick(k.workoutEdit, Qt::Key_3);
    QApplication::sendEvent(k.workoutEdit, &del);
    QTest::keyClick(k.workoutEdit, Qt::Key_Home);
    QApplication::sendEvent(k.workoutEdit, &del);
    EXPECT_TRUE(k.workoutEdit->text().isEmpty());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(KioskTest, TheMemberLeavesTheScreenAfterTheSeriesIdleTimeWithNoKey) {
    setSetting(QStringLiteral("Tempo_Serie"), QStringLiteral("2"));
    KioskWindow& k = openKiosk();
    enter(k.enrolmentEdit, QStringLiteral("42"));
    ASSERT_EQ(k.memberName->text(), QStringLiteral("Zé da Silva"));
    QTest::qWait(1500);
    QTest::keyClick(k.workoutEdit, Qt::Key_9); // refused by the field, yet someone is there
    QTest::qWait(1500);
    EXPECT_FALSE(atRest(k)) << "a key starts the time again";
    EXPECT_TRUE(QTest::qWaitFor([&k] { return atRest(k); }, 3000));
    k.close();

    // A setting of none still hides the member after a minute; one beyond the timer's range waits
    // the longest it can.
    const std::pair<const char*, int> idleMs[] = {
        {"0", 60000}, {"-1", 60000}, {"NULL", 60000}, {"4294968", INT_MAX}};
    for (const auto& [setting, expected] : idleMs) {
        setSetting(QStringLiteral("Tempo_Serie"), QString::fromLatin1(setting));
        KioskWindow& again = openKiosk();
        enter(again.enrolmentEdit, QStringLiteral("42"));
        EXPECT_TRUE(again.memberIdle->isActive()) << setting;
        EXPECT_EQ(again.memberIdle->interval(), expected) << setting;
        again.close();
    }
}

TEST_F(KioskTest, PhotoIsDecodedSmallShownOrHidden) {
    const QString quorvelFile = QDir(folder()).filePath(QStringLiteral("quorvel.db"));
    storePhoto(quorvelFile, QStringLiteral("0000000042"), jpegOf({640, 480}));
    storePhoto(quorvelFile, QStringLiteral("0000000007"),
               QVariant(QMetaType(QMetaType::QByteArray)));
    quorvel(
        {QStringLiteral("UPDATE ALUNOS SET MATRICULA = '0000000007' WHERE MATRICULA = '7'"),
         QStringLiteral("INSERT INTO ALUNOS (MATRICULA, NOME) VALUES ('0000000005', 'Sem Foto')")});
    KioskWindow& k = openKiosk();
    enter(k.enrolmentEdit, QStringLiteral("42"));
    ASSERT_TRUE(k.photo->isVisible());
    // Scaled down by the decoder, yet never below the frame it fills.
    const QSize decoded = k.photo->pixmap().size();
    EXPECT_EQ(decoded, QSize(320, 240));
    QTest::keyClick(k.workoutEdit, Qt::Key_Escape);
    enter(k.enrolmentEdit, QStringLiteral("7")); // null photo
    EXPECT_FALSE(k.photo->isVisible());
    QTest::keyClick(k.workoutEdit, Qt::Key_Escape);
    enter(k.enrolmentEdit, QStringLiteral("5")); // no photo row
    EXPECT_FALSE(k.photo->isVisible());
    EXPECT_EQ(k.memberName->text(), QStringLiteral("Sem Foto"));
}

TEST_F(KioskTest, PhotoThatIsNotAJpegRaisesTheDecodersErrorAndKeepsTheMember) {
    storePhoto(QDir(folder()).filePath(QStringLiteral("quorvel.db")), QStringLiteral("0000000042"),
               QByteArray("\x89PNG\r\n\x1a\n not really", 20));
    KioskWindow& k = openKiosk();
    k.enrolmentEdit->setText(QStringLiteral("42"));
    QChar enterKey(13);
    try {
        k.enrolmentKey(enterKey);
        ADD_FAILURE() << "no error";
    } catch (const JpegError& error) {
        EXPECT_STREQ(error.what(), "Not a JPEG file: starts with 0x89 0x50");
    }
    EXPECT_EQ(k.memberName->text(), QStringLiteral("Zé da Silva"));
    EXPECT_TRUE(k.workoutEdit->isEnabled());
    EXPECT_THROW(decodeJpeg(QByteArray(), {}), JpegError);
}

TEST_F(KioskTest, PhotoLargerThanAMemberPhotoIsRefusedLikeOneThatIsNotAJpeg) {
    // 20000 x 20000 pixels declared in a few hundred bytes.
    storePhoto(QDir(folder()).filePath(QStringLiteral("quorvel.db")), QStringLiteral("0000000042"),
               declaredAs(progressiveJpegOf({64, 64}), {20000, 20000}));
    KioskWindow& k = openKiosk();
    k.enrolmentEdit->setText(QStringLiteral("42"));
    QChar enterKey(13);
    QElapsedTimer held;
    held.start();
    EXPECT_THROW(k.enrolmentKey(enterKey), JpegError);
    EXPECT_LT(held.elapsed(), 3000) << "the window waited on the decoder";
    EXPECT_EQ(k.memberName->text(), QStringLiteral("Zé da Silva"));
    EXPECT_TRUE(k.workoutEdit->isEnabled());
}

// Decompression bombs, each stopped by one of the decoder's limits: a picture declared larger
// than a member photo can be, one whose coefficients need more memory than the decoder gets,
// one that goes over the same picture scan after scan, and one within all of these that takes
// long to decode.
TEST(Photo, DecompressionBombsAreRefusedQuicklyInLittleMemory) {
    const QByteArray photo = progressiveJpegOf({64, 64});
    ASSERT_EQ(decodeJpeg(photo, {}).size(), QSize(64, 64));
    // The slow picture within every other limit is given less time than the window's: how long
    // it takes depends on the machine.
    const struct {
        QByteArray data;
        std::string refusal;
        std::chrono::milliseconds maxTime = photoDecodeLimit;
    } bombs[] = {
        {declaredAs(photo, {20000, 20000}), "over 50 megapixels"},
        {declaredAs(photo, {7000, 7000}), "more than 24 MB"},
        {declaredAs(withLaterScansRepeated(photo, 12), {1000, 1000}), "more than 100 scans"},
        {noisyProgressiveJpegOf({2400, 2400}), "more than 10 ms to decode",
         std::chrono::milliseconds(10)},
    };
    for (const auto& bomb : bombs) {
        const long residentKb = residentKbFromHere();
        const std::chrono::milliseconds cpu = threadCpuTime();
        try {
            decodeJpeg(bomb.data, {146, 176}, bomb.maxTime);
            ADD_FAILURE() << bomb.refusal << ": decoded";
        } catch (const JpegError& error) {
            EXPECT_NE(std::string(error.what()).find(bomb.refusal), std::string::npos)
                << error.what();
        }
        EXPECT_LT(threadCpuTime() - cpu, std::chrono::seconds(1)) << bomb.refusal;
        EXPECT_LT(procStatusKb("VmHWM:") - residentKb, 64 * 1024) << bomb.refusal;
    }
}

} // namespace
