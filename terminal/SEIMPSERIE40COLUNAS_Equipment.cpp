// Equipment mode: a member types the code of a machine and watches the video of its exercise.
#include "SEIMPSERIE40COLUNAS.h"

#include "KeyChar.h"
#include "MediaPlayer.h"
#include "Messages.h"
#include "TextHelpers.h"
#include "VideoWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

void TFRMIMPSERIE40COLUNAS::EDTAPARELHOKeyPress(QChar& Key) {
    if (Key == platform::keyEsc && SBSAIRAPARELHO->isVisible()) {
        Key = QChar(0);
        SBSAIRClick();
        return;
    }
    if (MPAD_KEYPRESS && keypadConfigured()) {
        Key = QChar(0);
        return;
    }
    if (Key == platform::keyEnter && !EDTAPARELHO->text().isEmpty()) {
        playMachineVideo();
    }
}

void TFRMIMPSERIE40COLUNAS::playMachineVideo() {
    const qlonglong code = textToInteger(EDTAPARELHO->text());
    EDTAPARELHO->setText(QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0')));
    const RowField<QString> video = [this] {
        const ActionDeadline action(memberActionLimit);
        return tables.machineVideo(EDTAPARELHO->text());
    }();
    if (!video.found) {
        warn(LBLAVISOAP, QStringLiteral("Dado INCORRETO ! Aparelho"),
             msg::CodigoIncorreto + QLatin1Char('\r'), QStringLiteral("Aparelho"));
        EDTAPARELHO->clear();
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
        warn(LBLAVISOAP, QStringLiteral("Arquivo Video inexistente ! "), msg::VideoInexistente,
             QStringLiteral("Windows Media Player"));
        EDTAPARELHO->clear();
        return;
    }
    showVideoWindow(
        this, path, [this] { EDTAPARELHO->clear(); }, m_keypad);
}
