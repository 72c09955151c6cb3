#pragma once

#include "Clock.h"
#include "MessageBox.h"
#include "Pause.h"
#include "media/MediaPlayer.h"
#include "portaccess/PortAccess.h"
#include "serial/SerialDriver.h"
#include "serial/UsbKeypadSwitch.h"
#include "spooler/Spooler.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QFileDialog;
class QPrinter;
class QWidget;

// Everything the terminal reaches of the system through a replaceable seam, in one value. Its
// members start as the system's own back ends; a program installs the value once at its start,
// a test installs one with fakes and puts the previous one back.
namespace platform {

// The serial component's failure log: the debug log of the category "se.comm", off unless
// enabled.
void logCommError(const QString& device, const QString& message, int code);
// The system's print dialog on a printer: the printer the user confirmed, none when cancelled.
std::optional<QString> execPrintDialog(QPrinter& printer);
// The save dialog; the chosen file, or empty when it was cancelled.
QString execSaveDialog(QFileDialog& dialog);

struct Backends {
    // The blocking waits (the 2000 ms warnings, the 100 ms pause before a port is reopened).
    std::function<void(int milliseconds)> pause = sleep;
    // The wall clock the windows show and log.
    std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTime();
    };
    // Shows a message box and answers the button pressed.
    std::function<int(const Message&)> presentMessage = showMessageBox;
    // The serial driver and the USB keypad switch of the keypad windows.
    std::function<SerialDriver&()> keypadSerialDriver = systemSerialDriver;
    std::function<UsbKeypadSwitch&()> usbKeypadSwitch = systemUsbKeypadSwitch;
    // A new session of the port input/output driver.
    std::function<std::unique_ptr<PortAccess>()> createPortAccess = createSystemPortAccess;
    // A video player whose widget is a child of the given parent; none installed means the
    // QtMultimedia player, which only the video windows link.
    std::function<std::unique_ptr<MediaPlayer>(QWidget* parent)> createMediaPlayer;
    // The print spooler with its printers.
    std::function<Spooler&()> spooler = systemSpooler;
    // Where the serial component sends a failure of one of its ports.
    std::function<void(const QString& device, const QString& message, int code)> reportCommError =
        logCommError;
    // The text printing library's two dialogs.
    std::function<std::optional<QString>(QPrinter& printer)> runPrintDialog = execPrintDialog;
    std::function<QString(QFileDialog& dialog)> runSaveDialog = execSaveDialog;
};

// The installed back ends.
const Backends& backends();

// Installs a set of back ends and returns the one it replaces.
Backends installBackends(Backends replacement);

} // namespace platform
