#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class DataSet;
class TComm;

// The serial keypad's component as the kiosk and the series window place it, the settings
// record's keypad fields mapped onto it, and its port kept open.

// A component with the keypad's design values: device "Com1", received data only, 1200 baud,
// parity check, DSR sensitivity, ignore XOFF, error character, strip NUL.
TComm* createKeypadComm(QObject* owner);

// Sets the component from the settings record: PINPAD as the device name, VELOCIDADE, DATABIT,
// STOPBIT and PARIDADE as the line. Values the record may not hold leave the design value.
// DATABIT and STOPBIT must be whole numbers: anything else raises ConversionError.
void applyKeypadSettings(TComm& comm, const DataSet& settings);

// Reads one key byte, as each received-data event of a keypad window does (into a zeroed buffer
// of the port's read-buffer size); false, after "Abertura de tabela !", when the read timed out.
bool readKeypadByte(TComm& comm, char& byte);

// Keeps a keypad's port open: a port that does not open, or whose device goes away (a pad pulled
// out, a USB adapter unplugged), is opened again by its name every 2 s until it opens. Quietly:
// a keypad still unplugged is no news.
class KeypadPort : public QObject {
public:
    // Watches comm, which stays its owner's.
    KeypadPort(TComm& comm, QObject* owner);

    // Opens the port; when it does not open, tries again until it does.
    void open();
    // Closes the port and stops trying.
    void close();

    // Runs before each new try; false skips that try. A USB keypad model comes back switched off,
    // and its switch must let go of the port before the port opens.
    std::function<bool()> BeforeRetry;

private:
    void lost();
    void retry();

    TComm& m_comm;
    QTimer m_retry;
};
