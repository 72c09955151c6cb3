#include "Messages.h"

#include "Backends.h"
#include "ModalWindow.h"
#include "Recorders.h"
#include "UnattendedDialogs.h"

#include <QPrinter>
#include <QTimer>

#include <gtest/gtest.h>

TEST(ShowMessage, InformationBoxShowsBothTextsWithOneSpaceAndOk) {
    MessageRecorder recorder;
    const int pressed = showMessage(MessageKind::Information, msg::UsuarioSemAcesso, QString());
    ASSERT_EQ(recorder.messages().size(), 1u);
    const platform::Message& shown = recorder.messages().front();
    EXPECT_EQ(shown.text, QStringLiteral("Usuário sem acesso ! "));
    EXPECT_EQ(shown.caption, QStringLiteral("Palendra"));
    EXPECT_EQ(shown.icon, platform::MessageIcon::Information);
    EXPECT_EQ(shown.buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(pressed, platform::IdOk);
}

TEST(ShowMessage, AQuestionAsksYesOrNoAndReturnsTheAnswer) {
    MessageRecorder recorder(platform::IdNo);
    EXPECT_EQ(showMessage(MessageKind::Question, msg::TemCertezaFechados, QStringLiteral("x")),
              platform::IdNo);
    EXPECT_EQ(recorder.messages().back().icon, platform::MessageIcon::Question);
    EXPECT_EQ(recorder.messages().back().buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(recorder.messages().back().text,
              QStringLiteral("Tem certeza que os formulários forão fechados ? x"));
}

TEST(MessageTexts, KeepTheirControlCharacters) {
    EXPECT_TRUE(msg::AssistenciaTecnica.endsWith(QLatin1Char('\r')));
    EXPECT_TRUE(msg::VideoInexistente.endsWith(QLatin1Char('\r')));
    EXPECT_EQ(msg::ImpressoraNaoPronta,
              QStringLiteral("A impressora não esta pronta ! Deseja continuar ?"));
}

// Nobody at the keyboard: real boxes and dialogs close by themselves as Esc closes them, the
// terminal's own windows stay.
TEST(UnattendedDialogs, CloseBoxesAndDialogsAsEscDoesAndLeaveTheTerminalsWindows) {
    const UnattendedDialogs unattended(std::chrono::milliseconds(50));
    EXPECT_EQ(showMessage(MessageKind::Information, msg::DadoIncorreto, QString()), platform::IdOk);
    EXPECT_EQ(showMessage(MessageKind::Question, msg::TemCertezaFechados, QString()),
              platform::IdNo);
    QPrinter printer;
    EXPECT_FALSE(platform::backends().runPrintDialog(printer).has_value());

    ModalWindow window;
    bool openLater = false;
    QTimer::singleShot(300, &window, [&window, &openLater] {
        openLater = window.isVisible();
        window.accept();
    });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_TRUE(openLater);
}
