#pragma once

#include <QString>

class DataSet;

// The one function through which messages reach the user, and the standard message texts.

// The standard message texts ("\r" is a carriage return that the boxes show as is).
namespace msg {
inline const QString RegistroJaAlocado = QStringLiteral("Registro já alocado");
inline const QString FecheJanelas = QStringLiteral("Feche a(s) janelas abertas no SISTEMA !");
inline const QString TemCertezaFechados =
    QStringLiteral("Tem certeza que os formulários forão fechados ?");
inline const QString UsuarioSemAcesso = QStringLiteral("Usuário sem acesso !");
inline const QString AssistenciaTecnica =
    QStringLiteral("Entre em contato com Assistência Técnica !\r");
inline const QString CodigoNaoCadastrado = QStringLiteral("Código não cadastrado !");
inline const QString SenhaNaoConfere = QStringLiteral("Senha não confere !");
inline const QString CodigoIncorreto = QStringLiteral("Código INCORRETO !");
inline const QString DadoIncorreto = QStringLiteral("Dado INCORRETO !");
inline const QString MatriculaIncorreta = QStringLiteral("Matrícula INCORRETA !");
inline const QString ImpressoraNaoPronta =
    QStringLiteral("A impressora não esta pronta ! Deseja continuar ?");
inline const QString AberturaDeTabela = QStringLiteral("Abertura de tabela !");
inline const QString VideoIncompativel = QStringLiteral("Arquivo Video incompátivel !\r");
inline const QString VideoInexistente = QStringLiteral("Arquivo Video inexistente !\r");
} // namespace msg

enum class MessageKind { Information, Question };

// Beeps and shows text1, a space and text2 in a box captioned "Palendra": an information box
// with OK or a question with Yes and No. Returns the button pressed (platform::IdOk, IdYes or
// IdNo).
int showMessage(MessageKind kind, const QString& text1, const QString& text2);

// Opens the table; when it cannot, leaves it closed, says "Abertura de tabela !" with the
// table's name and returns false.
bool openTableOrSay(DataSet& table, const QString& name);
