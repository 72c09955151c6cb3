#pragma once

#include "KioskWindow.h"
#include "SerialDriverPosix.h"
#include "ShellFixture.h"
#include "TestBackends.h"
#include "UsbKeypadSwitch.h"

#include <QLineEdit>

#include <ostream>

// Texts in failure messages as text, not as code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// The kiosk window over small databases of known rows: a few members, exercises and
// prescriptions written by the test, on top of the demo's settings and operators.
class KioskTest : public ShellTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets one column of the settings record.
    void setSetting(const QString& column, const QString& sqlValue);
    // Runs statements on the Palendra or the Quorvel database.
    void palendra(const QStringList& statements);
    void quorvel(const QStringList& statements);
    // Points both data-link files at the same databases through the SQLite ODBC driver.
    void reachThroughOdbc();

    // Shows the main window and the kiosk over it (not modally, so the test can type).
    KioskWindow& openKiosk();
    // Types text into a field and presses Enter.
    static void enter(QLineEdit* field, const QString& text);

    // The kiosk's serial devices are links in this folder, never the machine's own ports.
    QString deviceFolder() const;

    std::unique_ptr<platform::PosixSerialDriver> keypadDriver;
    std::unique_ptr<platform::SerialUsbKeypadSwitch> keypadSwitch;
    TestBackends testBackends;
    // Points an exercise of the catalogue at a video file (a null path when empty) and gives it
    // its kind, "S" aerobic or "N" strength.
    void setVideo(const QString& code, const QString& path,
                  const QString& kind = QStringLiteral("N"));
    // A real clip with the given extension (mp4, wmv, avi, webm) and length, made by ffmpeg once
    // for the whole test program.
    static QString clip(const QString& extension, double seconds = 1.5);
    // A file that no player accepts.
    QString notAVideo() const;

    std::unique_ptr<KioskWindow> kiosk;
    QString m_previousFolder;
};

class DataGrid;
class QModelIndex;
// The cell of a grid's row in its description column, one that the grid shows.
QModelIndex cellOf(const DataGrid& grid, int row);
// Double-clicks that cell.
void doubleClickRow(DataGrid& grid, int row);

// The rows every kiosk test starts with, as plain SQL that SQLite and PostgreSQL both run.
QStringList knownPrescriptions();
QStringList knownMembers(const QString& memberTable);
