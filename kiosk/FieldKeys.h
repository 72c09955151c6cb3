#pragma once

#include <QObject>

#include <functional>
#include <map>

class QLineEdit;

// Hands each key typed into an entry field to that field's handler, and filters pasted and
// dropped text through the same handler. A handler gets the key as a character (8 Backspace,
// 13 Enter, 27 Esc) and sets it to 0 to discard it; what it lets out goes to the error log, and
// Enter and Esc, having done their work there, do nothing more in the field.
class FieldKeys : public QObject {
public:
    using Handler = std::function<void(QChar& key)>;

    // anyKey runs before each key is handled.
    FieldKeys(QObject* parent, std::function<void()> anyKey);

    void route(QLineEdit* field, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::map<const QObject*, Handler> m_handlers;
    std::function<void()> m_anyKey;
};
