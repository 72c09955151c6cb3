#pragma once

#include <QDialog>
#include <QPointer>

// A window shown modally. Once the application has been told to terminate, showing one returns at
// once, as the terminal's modal windows always did; and a window may close itself while it is
// being shown (its modal loop then ends as soon as it starts).
class ModalWindow : public QDialog {
public:
    using QDialog::QDialog;
    int exec() override;
    void done(int result) override;
    // The window given the keyboard back when this one closes, for a window without a parent;
    // one with a parent gives it back to its parent's window.
    void setWindowBelow(QWidget* window) { m_windowBelow = window; }

protected:
    // The window's own closing steps, run once, on the first close whatever asked for it.
    virtual void closing() {}
    // Escape closes a dialog; a window that closes only in its own ways turns that off.
    void setClosedByEscape(bool closed) { m_closedByEscape = closed; }
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QWidget> m_windowBelow;
    bool m_closedByEscape = true;
    bool m_closingDone = false;
    // The event-loop level exec() was called at; -1 when not being shown. A done() at that level
    // comes before the dialog's own loop runs (from its show, or after a message box shown there
    // returned) and would be lost if passed on at once.
    int m_levelBeforeLoop = -1;
};
