#pragma once

#include <QString>
#include <QWidget>

// The demo's stand-in for a kiosk's serial keypad: a small window of the twelve keys that writes
// each key's byte to a pseudo-terminal, whose far end it links under a device name in the demo's
// folder of device links. The kiosk finds it there by the name its settings give as PINPAD.
class VirtualKeypad : public QWidget {
public:
    // The link to make, e.g. DEMO/dev/KPD1. Throws std::runtime_error when no pseudo-terminal or
    // no link can be made.
    explicit VirtualKeypad(const QString& link);
    ~VirtualKeypad() override;
    VirtualKeypad(const VirtualKeypad&) = delete;
    VirtualKeypad& operator=(const VirtualKeypad&) = delete;

    // Presses keys: "0" to "9", "*" and "#".
    void press(const QString& keys);

private:
    QString m_link;
    int m_master = -1;
};

// The device name the demo gives its keypad (PINPAD holds four characters).
inline const QString demoKeypadName = QStringLiteral("KPD1");

// Writes PINPAD into the settings record of the demo's databases in folder: the keypad's name,
// or "NADA" for none.
void setDemoKeypadSetting(const QString& folder, const QString& pinpad);
