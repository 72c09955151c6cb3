#include "KioskFixture.h"

#include "DataGrid.h"
#include "DataLink.h"
#include "DemoVideos.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

QStringList knownPrescriptions() {
    const QString exercise = QStringLiteral(
        "INSERT INTO EXERCICIOS (CODIGO, DESCRICAO, DESCRICAOABREVIADA, APARELHO, Caminho_Video, "
        "TIPO) VALUES ('%1', '%2', '%3', '%4', NULL, 'M')");
    const QString strength = QStringLiteral(
        "INSERT INTO TREINO (MATRICULA, CODIGO_EXERCICIO, PROFESSOR, REPETICOES, REGULAGEM, ORDEM, "
        "TREINO, SERIES, PESO, INTERVALO, OBS, DATA, DOM, SEG, TER, QUA, QUI, SEX, SAB, "
        "DATA_REAVALIACAO) VALUES ('0000000042', '%1', '%2', '12', '3', %3, '%4', '3', '20', 60, "
        "NULL, '%5', %6, TRUE, FALSE, FALSE, FALSE, FALSE, FALSE, %7)");
    return {
        exercise.arg("101", "Supino Reto", "Supino", "012"),
        exercise.arg("102", "Leg Press", "Leg Press", "013"),
        exercise.arg("201", "Esteira", "Esteira", "050"),
        // Workout A: the newer date has two rows, given out of order; the older one must not show.
        strength.arg("102", "0000000777", "2").arg("A", "2026-03-05 00:00:00", "FALSE", "NULL"),
        strength.arg("101", "0000000777", "1")
            .arg("A", "2026-03-05 00:00:00", "TRUE", "'2026-06-05 00:00:00'"),
        strength.arg("201", "0000000777", "1").arg("A", "2026-01-10 00:00:00", "FALSE", "NULL"),
        // Workout C by an instructor who has left, and D by a code that is no number at all.
        strength.arg("102", "0000000999", "1").arg("C", "2026-02-01 00:00:00", "FALSE", "NULL"),
        strength.arg("101", "", "1").arg("D", "2026-02-01 00:00:00", "FALSE", "NULL"),
        QStringLiteral("INSERT INTO AEROBICA (MATRICULA, CODIGO_EXERCICIO, DURACAO, VELOCIDADE, "
                       "NIVEL_DIFICULDADE, DATA, DOM, SEG, TER, QUA, QUI, SEX, SAB) VALUES "
                       "('0000000042', '201', 20, 6.5, 2.4, '2026-03-01 00:00:00', "
                       "FALSE, FALSE, FALSE, FALSE, FALSE, TRUE, TRUE)"),
        QStringLiteral("INSERT INTO ALONGAMENTO (Matricula, Treino, Data, Obs) VALUES "
                       "('0000000042', 'A', '2026-03-05 00:00:00', 'Manter 20 segundos')"),
    };
}

QStringList knownMembers(const QString& memberTable) {
    const QString member = QStringLiteral("INSERT INTO %1 (MATRICULA, NOME) VALUES ('%2', '%3')");
    return {
        member.arg(memberTable, "0000000042", "Zé da Silva"),
        member.arg(memberTable, "7", "Sete Sem Zeros"),
        QStringLiteral("INSERT INTO FUNCIONARIOS (matricula, nome) VALUES "
                       "('0000000777', 'Ana Instrutora')"),
    };
}

void KioskTest::SetUp() {
    ShellTest::SetUp();
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    palendra(knownPrescriptions());
    setSetting(QStringLiteral("AlunosAtivos"), QStringLiteral("'Não'"));
    quorvel(knownMembers(QStringLiteral("ALUNOS")));
    // Tickets go to "TKT", a file in the current folder: the test's own.
    m_previousFolder = QDir::currentPath();
    QDir::setCurrent(folder());
    QDir().mkpath(deviceFolder());
    keypadDriver = std::make_unique<platform::PosixSerialDriver>(deviceFolder());
    keypadSwitch = std::make_unique<platform::SerialUsbKeypadSwitch>(*keypadDriver);
    testBackends.change([this](platform::Backends& devices) {
        devices.keypadSerialDriver = [this]() -> platform::SerialDriver& {
            return *keypadDriver;
        };
        devices.usbKeypadSwitch = [this]() -> platform::UsbKeypadSwitch& {
            return *keypadSwitch;
        };
    });
}

void KioskTest::TearDown() {
    kiosk.reset();
    QDir::setCurrent(m_previousFolder);
    testBackends.restore();
    keypadSwitch.reset();
    keypadDriver.reset();
    QLocale::setDefault(QLocale::system());
    ShellTest::TearDown();
}

QString KioskTest::deviceFolder() const {
    return QDir(folder()).filePath(QStringLiteral("dev"));
}

void KioskTest::setSetting(const QString& column, const QString& sqlValue) {
    palendra({QStringLiteral("UPDATE Secvar SET %1 = %2").arg(column, sqlValue)});
}

void KioskTest::palendra(const QStringList& statements) {
    changeDatabase(palendraFile(), statements);
}

void KioskTest::quorvel(const QStringList& statements) {
    changeDatabase(QDir(folder()).filePath(QStringLiteral("quorvel.db")), statements);
}

void KioskTest::reachThroughOdbc() {
    for (const char* name : {"Palendra", "Quorvel"}) {
        const QString file = QDir(folder()).filePath(QString::fromLatin1(name).toLower() + ".db");
        demo::writeDataLinkFile(
            QDir(folder()).filePath(QString::fromLatin1(name) + ".udl"),
            "Provider=MSDASQL.1;Extended Properties=\"DRIVER={SQLite3};Database=" + file + "\"");
    }
}

KioskWindow& KioskTest::openKiosk() {
    showMainWindow();
    kiosk = std::make_unique<KioskWindow>(*main);
    kiosk->show();
    return *kiosk;
}

void KioskTest::enter(QLineEdit* field, const QString& text) {
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

void KioskTest::setVideo(const QString& code, const QString& path, const QString& kind) {
    const QString pathValue =
        path.isEmpty() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(path);
    palendra({QStringLiteral("UPDATE EXERCICIOS SET Caminho_Video = %1, TIPO = '%2' WHERE CODIGO "
                             "= '%3'")
                  .arg(pathValue, kind, code)});
}

QString KioskTest::clip(const QString& extension, double seconds) {
    static QTemporaryDir clips;
    const QString file =
        clips.filePath(QStringLiteral("clip-%1ms.%2").arg(qRound(seconds * 1000)).arg(extension));
    if (!QFile::exists(file)) {
        demo::writeExerciseClip(file, QStringLiteral("Supino Reto"), seconds);
    }
    return file;
}

QString KioskTest::notAVideo() const {
    const QString file = QDir(folder()).filePath(QStringLiteral("not-a-video.mp4"));
    QFile text(file);
    if (text.open(QIODevice::WriteOnly)) {
        text.write("these are not the frames of a video\n");
    }
    return file;
}

QModelIndex cellOf(const DataGrid& grid, int row) {
    const auto* rows = static_cast<const GridRowsModel*>(grid.model());
    return rows->index(row, rows->fieldIndex(QStringLiteral("EXERCICIO")));
}

void doubleClickRow(DataGrid& grid, int row) {
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                       grid.visualRect(cellOf(grid, row)).center());
}
