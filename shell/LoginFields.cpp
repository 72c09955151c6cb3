#include "LoginFields.h"

#include "Clock.h"
#include "Messages.h"
#include "WindowLook.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

namespace {

constexpr int maxWrongPasswordsPerMinute = 12;
constexpr qint64 minuteMs = 60 * 1000;

// ~/.local/state/se-terminal, or the same under $XDG_STATE_HOME.
QString stateFolder() {
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    return (state.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/state") : state) +
           QStringLiteral("/se-terminal");
}

QString wrongPasswordsFile() {
    return stateFolder() + QStringLiteral("/wrong-passwords");
}

// The times (ms since the epoch) of the wrong passwords of the last minute, one a line. Times
// still to come were written by a clock that ran ahead: counting them would refuse the right
// password until that clock's time came.
QList<qint64> recentWrongPasswords() {
    const qint64 now = platform::now().toMSecsSinceEpoch();
    const qint64 minuteAgo = now - minuteMs;
    QList<qint64> times;
    QFile file(wrongPasswordsFile());
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            bool ok = false;
            const qint64 time = line.toLongLong(&ok);
            if (ok && time > minuteAgo && time <= now) {
                times.append(time);
            }
        }
    }
    return times;
}

// Counts a wrong password in the file.
void recordWrongPassword() {
    QList<qint64> times = recentWrongPasswords();
    times.append(platform::now().toMSecsSinceEpoch());
    // The folder and the file are the user's alone.
    const QString folder = stateFolder();
    QDir().mkpath(QFileInfo(folder).path());
    QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile file(wrongPasswordsFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate,
                   QFile::ReadOwner | QFile::WriteOwner)) {
        return; // a terminal that cannot keep the count still logs operators in
    }
    for (const qint64 time : times) {
        file.write(QByteArray::number(time) + '\n');
    }
}

// Upper case as typed, keeping the cursor where it was.
void convertToUpperCase(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int cursor = edit->cursorPosition();
            edit->setText(upper);
            edit->setCursorPosition(cursor);
        }
    });
}

QLabel* captionLabel(QDialog& dialog, const QString& text) {
    auto* label = new QLabel(text, &dialog);
    label->setFont(arialFont(8, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colorFromBgr(0x800000)); // navy
    label->setPalette(palette);
    return label;
}

} // namespace

void LoginFields::build(QDialog& dialog, const QString& title, const QColor& background,
                        const QColor& nameColor) {
    dialog.setWindowTitle(title);
    // No title-bar buttons: the dialog cannot be closed from its frame.
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    dialog.setFixedSize(272, 120);
    dialog.setFont(arialFont(8));
    paintBackground(dialog, background);

    codeCaption = captionLabel(dialog, QStringLiteral(" Código do Usuário "));
    codeCaption->setGeometry(16, 14, 120, 16);
    codeEdit = new QLineEdit(&dialog);
    codeEdit->setGeometry(16, 32, 40, 21);
    codeEdit->setMaxLength(2);
    codeEdit->setToolTip(QStringLiteral("Digite seu código"));
    convertToUpperCase(codeEdit);

    operatorName = new QLabel(&dialog);
    operatorName->setGeometry(66, 32, 190, 21);
    operatorName->setFont(arialFont(10, true));
    QPalette palette = operatorName->palette();
    palette.setColor(QPalette::WindowText, nameColor);
    operatorName->setPalette(palette);

    passwordCaption = captionLabel(dialog, QStringLiteral(" Senha "));
    passwordCaption->setGeometry(16, 62, 120, 16);
    passwordEdit = new QLineEdit(&dialog);
    passwordEdit->setGeometry(16, 80, 80, 21);
    passwordEdit->setMaxLength(6);
    passwordEdit->setEchoMode(QLineEdit::Password);
    // Shown as "*", whatever the style's own password character.
    passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    passwordEdit->setToolTip(QStringLiteral("Digite sua senha"));
    passwordEdit->setEnabled(false);
    convertToUpperCase(passwordEdit);
    codeEdit->installEventFilter(&dialog);
    passwordEdit->installEventFilter(&dialog);
}

void LoginFields::startCodeEntry() {
    passwordEdit->clear();
    passwordEdit->setEnabled(false);
    codeEdit->clear();
    codeEdit->setEnabled(true);
    operatorName->clear();
    codeEdit->setFocus();
}

void LoginFields::startPasswordEntry(const QString& name) {
    operatorName->setText(name);
    codeEdit->setEnabled(false);
    passwordEdit->setEnabled(true);
    passwordEdit->setFocus();
}

bool LoginFields::passwordRefused() {
    if (recentWrongPasswords().size() < maxWrongPasswordsPerMinute) {
        return false;
    }
    showMessage(MessageKind::Information, msg::UsuarioSemAcesso, QString());
    passwordEdit->clear();
    passwordEdit->setFocus();
    return true;
}

void LoginFields::codeNotRegistered(bool counted) {
    if (counted) {
        ++codeTries;
    }
    showMessage(MessageKind::Information, msg::CodigoNaoCadastrado, QString());
    codeEdit->clear();
    codeEdit->setFocus();
}

void LoginFields::wrongPassword(bool counted) {
    recordWrongPassword();
    if (counted) {
        ++passwordTries;
    }
    showMessage(MessageKind::Information, msg::SenhaNaoConfere, QString());
    passwordEdit->clear();
    passwordEdit->setFocus();
}

FieldKey fieldKeyOf(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return FieldKey::None;
    }
    switch (static_cast<const QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return FieldKey::Enter;
    case Qt::Key_Escape:
        return FieldKey::Escape;
    default:
        return FieldKey::None;
    }
}
