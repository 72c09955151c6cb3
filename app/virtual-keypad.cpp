// The demo's virtual keypad as a program of its own, so that the kiosk's modal window does not
// shut its keys out: se-virtual-keypad LINK makes a pseudo-terminal, links its far end as LINK
// and writes a byte for each key clicked, until the window is closed.
#include "VirtualKeypad.h"

#include <QApplication>
#include <QTextStream>

#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: se-virtual-keypad LINK\n";
        return 2;
    }
    try {
        VirtualKeypad keypad(QString::fromLocal8Bit(argv[1]));
        keypad.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QTextStream(stderr) << "se-virtual-keypad: " << error.what() << "\n";
        return 1;
    }
}
