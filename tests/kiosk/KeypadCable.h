#pragma once

#include "SerialTestSupport.h"

#include <QString>

#include <memory>
#include <string>

// A keypad on a pseudo-terminal, linked under a device name in the kiosk's folder of device links
// as a USB adapter appears under its name. The test plays the keys on the far end.
class KeypadCable {
public:
    explicit KeypadCable(QString deviceFolder);

    // Links a new pseudo-terminal under the name, as an adapter plugged (back) in; false when the
    // link could not be made.
    bool plugIn(const QString& name);
    // Pulls the adapter out: the far end closes and the name goes away.
    void pull();
    void press(const std::string& keys) { m_pad->send(keys); }
    commtest::PseudoTerminal& pad() { return *m_pad; }

private:
    QString m_folder;
    QString m_link;
    std::unique_ptr<commtest::PseudoTerminal> m_pad;
};
