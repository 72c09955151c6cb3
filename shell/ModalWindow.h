#pragma once

#include <QDialog>

// A window shown modally. Once the application has been told to terminate, showing one returns at
// once, as the terminal's modal windows always did; and a window may close itself while it is
// being shown (its modal loop then ends as soon as it starts).
class ModalWindow : public QDialog {
public:
    using QDialog::QDialog;
    int exec() override;
    void done(int result) override;

private:
    bool m_starting = false;
};
