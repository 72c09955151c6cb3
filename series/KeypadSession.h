#pragma once

#include "SerialPort.h"

#include <QObject>
#include <QString>
#include <QTimer>

class DataSet;

// The settings record's keypad fields, read once when a keypad window opens.
struct KeypadSettings {
    QString PINPAD; // the keypad's device name; "NADA" for none
    int VELOCIDADE = 0;
    QString DATABIT;
    QString STOPBIT;
    QString PARIDADE;
    QString Tec12USB; // "Sim" for the USB keypad model

    static KeypadSettings read(const DataSet& settings);
    bool configured() const;
    bool usbModel() const;
};

// A component with the keypad's design values: device "Com1", received data only, 1200 baud,
// parity check, DSR sensitivity, ignore XOFF, error character, strip NUL.
SerialPort* createKeypadComm(QObject* owner);

// Sets the component from the settings: PINPAD as the device name, VELOCIDADE, DATABIT, STOPBIT
// and PARIDADE as the line. Values the settings may not hold leave the design value. DATABIT and
// STOPBIT must be whole numbers: anything else raises ConversionError.
void applyKeypadSettings(SerialPort& comm, const KeypadSettings& settings);

// The decimal codes of the text's characters, one after the other ("\x1b" gives "27").
QString decimalCodes(const QString& text);

// A keypad window's serial keypad: its component, its port kept open, the USB model's switch.
// A port that does not open, or whose device goes away (a pad pulled out, a USB adapter
// unplugged), is opened again by its name every 2 s until it opens; quietly, as a keypad still
// unplugged is no news. The kiosk has one; the series window another, which takes the port over
// while it is open.
class KeypadSession : public QObject {
public:
    // Received data goes to the window's handler.
    KeypadSession(KeypadSettings settings, SerialBytesHandler received, QObject* owner);

    const KeypadSettings& settings() const { return m_settings; }
    SerialPort& comm() const { return *m_comm; }

    // The line set from the settings, the USB model switched on, the port opened.
    void setUp();
    // The port let go and, for the USB model, the keypad switched off. Leaving a window never
    // fails on the keypad: errors are ignored.
    void shutDown();

    // The holder's port closed, this session's set from the settings and opened.
    void takeOverFrom(KeypadSession& holder);
    // When the port was taken over: this session's port let go (errors ignored), 100 ms for the
    // line to settle, and the holder's port opened again.
    void giveBack();

    // Reads one key byte, as each received-data event does (into a zeroed buffer of the port's
    // read-buffer size); false, after "Abertura de tabela !", when the read timed out.
    bool readByte(char& byte);

    // Switches the USB keypad model on (mode 0) or off (mode 1).
    void switchUsbKeypad(int mode);

private:
    void open();
    void close();
    // Closed, BREAK raised (nothing on a closed port), no more key events.
    void letGo();
    void lost();
    void retry();
    // Sends a code to the USB keypad model; false when its port did not open.
    bool sendUsbCode(int code);

    KeypadSettings m_settings;
    SerialPort* m_comm;
    QTimer m_retry;
    KeypadSession* m_holder = nullptr; // whose port this session took over
};
