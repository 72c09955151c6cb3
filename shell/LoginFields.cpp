#include "LoginFields.h"

#include "Clock.h"
#include "SEFUNCOES.h"
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

    Label1 = captionLabel(dialog, QStringLiteral(" Código do Usuário "));
    Label1->setGeometry(16, 14, 120, 16);
    EDTCODIGOUSUARIO = new QLineEdit(&dialog);
    EDTCODIGOUSUARIO->setGeometry(16, 32, 40, 21);
    EDTCODIGOUSUARIO->setMaxLength(2);
    EDTCODIGOUSUARIO->setToolTip(QStringLiteral("Digite seu código"));
    convertToUpperCase(EDTCODIGOUSUARIO);

    LBLNOMEUSUARIO = new QLabel(&dialog);
    LBLNOMEUSUARIO->setGeometry(66, 32, 190, 21);
    LBLNOMEUSUARIO->setFont(arialFont(10, true));
    QPalette palette = LBLNOMEUSUARIO->palette();
    palette.setColor(QPalette::WindowText, nameColor);
    LBLNOMEUSUARIO->setPalette(palette);

    Label2 = captionLabel(dialog, QStringLiteral(" Senha "));
    Label2->setGeometry(16, 62, 120, 16);
    EDTSENHA = new QLineEdit(&dialog);
    EDTSENHA->setGeometry(16, 80, 80, 21);
    EDTSENHA->setMaxLength(6);
    EDTSENHA->setEchoMode(QLineEdit::Password);
    // Shown as "*", whatever the style's own password character.
    EDTSENHA->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    EDTSENHA->setToolTip(QStringLiteral("Digite sua senha"));
    EDTSENHA->setEnabled(false);
    convertToUpperCase(EDTSENHA);
    EDTCODIGOUSUARIO->installEventFilter(&dialog);
    EDTSENHA->installEventFilter(&dialog);
}

void LoginFields::startCodeEntry() {
    EDTSENHA->clear();
    EDTSENHA->setEnabled(false);
    EDTCODIGOUSUARIO->clear();
    EDTCODIGOUSUARIO->setEnabled(true);
    LBLNOMEUSUARIO->clear();
    EDTCODIGOUSUARIO->setFocus();
}

void LoginFields::startPasswordEntry(const QString& operatorName) {
    LBLNOMEUSUARIO->setText(operatorName);
    EDTCODIGOUSUARIO->setEnabled(false);
    EDTSENHA->setEnabled(true);
    EDTSENHA->setFocus();
}

bool LoginFields::passwordRefused() {
    if (recentWrongPasswords().size() < maxWrongPasswordsPerMinute) {
        return false;
    }
    MENSAGEM(QStringLiteral("!"), msg::UsuarioSemAcesso, QString());
    EDTSENHA->clear();
    EDTSENHA->setFocus();
    return true;
}

void LoginFields::codeNotRegistered(bool counted) {
    if (counted) {
        ++MTENTATIVA_CODIGO;
    }
    MENSAGEM(QStringLiteral("!"), msg::CodigoNaoCadastrado, QString());
    EDTCODIGOUSUARIO->clear();
    EDTCODIGOUSUARIO->setFocus();
}

void LoginFields::wrongPassword(bool counted) {
    recordWrongPassword();
    if (counted) {
        ++MTENTATIVA_SENHA;
    }
    MENSAGEM(QStringLiteral("!"), msg::SenhaNaoConfere, QString());
    EDTSENHA->clear();
    EDTSENHA->setFocus();
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
