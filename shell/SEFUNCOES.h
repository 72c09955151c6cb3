#pragma once

#include "Schema.h"

#include <QString>

#include <stdexcept>

class DataSet;

// What every window of the terminal shares: the one function through which messages reach the
// user, the standard message texts, the reading of whole numbers, and the workouts'
// letters and weekdays.

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

// Beeps and shows text1, a space and text2 in a box captioned "Palendra": kind "!" is an
// information box with OK, any other kind a question with Yes and No. Returns the button
// pressed (platform::IdOk, IdYes or IdNo).
int MENSAGEM(const QString& kind, const QString& text1, const QString& text2);

// Opens the table; when it cannot, leaves it closed, says "Abertura de tabela !" with the
// table's name and returns false.
bool openTableOrSay(DataSet& table, const QString& name);

// A text read as a whole number that is not one ("12 3", "", "A"): the terminal's conversion
// error, which reaches the error log.
class ConversionError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The whole number a text holds: an optional sign and digits, nothing else (no blanks).
// Throws ConversionError otherwise.
qlonglong textToInteger(const QString& text);

// The workout a member picks by its number 1 to 5: "A" to "E"; empty for any other number.
QString workoutLetter(int number);

// The flags of a workout row's weekday columns.
WeekdayFlags weekdaysOf(const DataSet& row);
