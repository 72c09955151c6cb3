// The receipt ticket's layout on both printers without a window, a database, a port or a print
// server: the matrix driver writes into a file in memory, the text printing library's calls are
// laid out on a page. Both are compared with tickets typed by hand (tests/data/ticket/golden.sh);
// the kiosk's own tests print the same member's workout A end to end.
#include "MatrixPrintDriver.h"
#include "TicketLayout.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A printer port in memory, which the matrix driver opens by its path like any file.
class MemoryPort {
public:
    MemoryPort()
        : m_fd(::memfd_create("ticket", MFD_CLOEXEC)) {}
    ~MemoryPort() { ::close(m_fd); }
    MemoryPort(const MemoryPort&) = delete;
    MemoryPort& operator=(const MemoryPort&) = delete;

    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }
    QByteArray bytes() const {
        struct stat status {};
        if (::fstat(m_fd, &status) != 0) {
            return "no port";
        }
        QByteArray written(qsizetype(status.st_size), '\0');
        const ssize_t read = ::pread(m_fd, written.data(), size_t(written.size()), 0);
        return read == written.size() ? written : QByteArray("short read");
    }

private:
    int m_fd;
};

// The text printing library's calls laid out on a page: each text at its column counted from the
// margin, "\n" at each line feed and "\f" for the eject.
class LibraryPage {
public:
    void print(int column, const QString& text, bool lineFeed) {
        m_line = m_line.leftJustified(column, QLatin1Char(' '), true) + text;
        if (lineFeed) {
            page += m_line + QLatin1Char('\n');
            m_line.clear();
        }
    }
    void replicate(int column, int count, QChar character, bool lineFeed) {
        print(column, QString(count, character), lineFeed);
    }
    void endDoc(bool eject) { page += m_line + (eject ? QStringLiteral("\f") : QString()); }
    void abort() { page += QStringLiteral("<aborted>"); }

    QString page;

private:
    QString m_line;
};

QByteArray golden(const QString& name) {
    QFile file(QStringLiteral(SE_TEST_DATA_DIR "/ticket/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing " + name.toUtf8());
}

Figure figure(double value) {
    return {QString::number(value), value};
}

StrengthRow strength(const QString& code, const QString& name, const QString& shortName,
                     const QString& series, const QString& repetitions, const QString& weight,
                     const QString& adjustment, double rest) {
    return {code,        name,   shortName,  QString(),    QString(),   series,
            repetitions, weight, adjustment, figure(rest), std::nullopt};
}

// Member 1234 with the workouts of the kiosk's ticket tests: A with aerobic and stretching rows,
// C with one row and no weekdays.
Workout member1234(const QString& letter) {
    Workout workout = Workout::ofMember(QStringLiteral("0000001234"),
                                        QStringLiteral("Conceição Aparecida Gonçalves Ribeiro"));
    workout.sheet.LETRA_TREINO = letter;
    if (letter == QStringLiteral("C")) {
        workout.strength = {strength("102", "Leg Press", "Leg Press", "2", "15", "40", "5", 90)};
        return workout;
    }
    workout.sheet.DIAS_AEROBICA = {false, false, true, false, true, false, false};
    workout.aerobic = {{"201", "Esteira", "Esteira", figure(20), figure(6.5), figure(2.4)}};
    workout.sheet.DIAS_TREINO = {false, true, false, true, false, true, false};
    workout.strength = {
        strength("101", "Supino Reto", "Supino", "3", "12", "20", "3", 60),
        strength("103", "Extensão de Joelhos", "Extensão Joel", "4", "10-12-15", "15", "2", 45)};
    workout.strength.front().OBS = QStringLiteral("Atenção à postura");
    workout.stretching = StretchingRow{
        QStringLiteral("Alongar panturrilha.  Manter 20 segundos em cada posição, respirando "
                       "devagar e sem balanço."),
        {}};
    return workout;
}

QByteArray matrixTicket(const Workout& workout, const TicketSettings& settings) {
    MemoryPort port;
    MatrixPrintDriver printer;
    prepareMatrixPrinter(printer);
    printer.setPrinterPort(port.path());
    if (!printer.beginJob()) {
        return "not started";
    }
    MatrixTicket out(printer);
    printTicket(workout, settings, out);
    out.end();
    return port.bytes();
}

QByteArray libraryTicket(const Workout& workout, const TicketSettings& settings) {
    LibraryPage library;
    LibraryTicket<LibraryPage> out(library);
    printTicket(workout, settings, out);
    out.end();
    return library.page.toUtf8();
}

const TicketSettings byCodeReduced{
    .POR_CODIGO_APARELHO = true, .IMPRESSAOREDUZIDA = QStringLiteral("Sim"), .ESPACO = 0};

TEST(MatrixTicketLayout, FullFormByCodeWorkoutCWithFiveBlankLinesAfter) {
    const TicketSettings settings{
        .POR_CODIGO_APARELHO = true, .IMPRESSAOREDUZIDA = QStringLiteral("Não"), .ESPACO = 5};
    EXPECT_EQ(matrixTicket(member1234("C"), settings), golden("full-by-code-c.bin"));
}

TEST(MatrixTicketLayout, ReducedFormWorkoutsAAndC) {
    EXPECT_EQ(matrixTicket(member1234("A"), byCodeReduced), golden("reduced-a.bin"));
    EXPECT_EQ(matrixTicket(member1234("C"), byCodeReduced), golden("reduced-c.bin"));
}

TEST(LibraryTicketLayout, ReducedFormByCodeWorkoutA) {
    EXPECT_EQ(libraryTicket(member1234("A"), byCodeReduced), golden("library-reduced-a.txt"));
}

TEST(LibraryTicketLayout, FullFormByCodeWorkoutCWithTwoBlankLinesAfter) {
    const TicketSettings settings{
        .POR_CODIGO_APARELHO = true, .IMPRESSAOREDUZIDA = QStringLiteral("Não"), .ESPACO = 2};
    EXPECT_EQ(libraryTicket(member1234("C"), settings), golden("library-full-by-code-c.txt"));
}

} // namespace
