#pragma once

class DataSet;
class QObject;
class TComm;

// The serial keypad's component as the kiosk and the series window place it, and the settings
// record's keypad fields mapped onto it.

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
