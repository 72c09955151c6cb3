#pragma once

#include <QObject>

#include <chrono>

class QDialog;

// A terminal that nobody attends, with only a keypad in reach, must never wait on a box that only
// a keyboard closes. While one of these lives, every box or dialog shown modally closes by itself
// after the given time, as Esc closes it: a message as confirmed, a question with the answer that
// changes nothing (No), a print dialog as cancelled. The terminal's own windows (ModalWindow)
// close in their own ways and are left alone.
class UnattendedDialogs : public QObject {
public:
    explicit UnattendedDialogs(std::chrono::milliseconds closeAfter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void closeLater(QDialog& dialog);

    std::chrono::milliseconds m_closeAfter;
};
