// Equipment mode: a member types the code of a machine and watches the video of its exercise.
#include "KioskWindow.h"

#include "KeyChar.h"
#include "MediaPlayer.h"
#include "Messages.h"
#include "TextHelpers.h"
#include "VideoWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

void KioskWindow::machineKey(QChar& key) {
    if (key == platform::keyEsc && machineExitButton->isVisible()) {
        key = QChar(0);
        exitClicked();
        return;
    }
    if (keypadTyping && keypadConfigured()) {
        key = QChar(0);
        return;
    }
    if (key == platform::keyEnter && !machineEdit->text().isEmpty()) {
        playMachineVideo();
    }
}

void KioskWindow::playMachineVideo() {
    const qlonglong code = textToInteger(machineEdit->text());
    machineEdit->setText(QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0')));
    const RowField<QString> video = [this] {
        const ActionDeadline action(memberActionLimit);
        return tables.machineVideo(machineEdit->text());
    }();
    if (!video.found) {
        warn(machineWarning, QStringLiteral("Dado INCORRETO ! Aparelho"),
             msg::CodigoIncorreto + QLatin1Char('\r'), QStringLiteral("Aparelho"));
        machineEdit->clear();
        return;
    }
    if (!video.value) {
        return;
    }
    const QString& path = *video.value;
    const bool found = platform::isVideoFile(path);
    if (!isVisible()) {
        return; // left while the file was looked for
    }
    if (!found) {
        warn(machineWarning, QStringLiteral("Arquivo Video inexistente ! "), msg::VideoInexistente,
             QStringLiteral("Windows Media Player"));
        machineEdit->clear();
        return;
    }
    showVideoWindow(
        this, path, [this] { machineEdit->clear(); }, m_keypad);
}
