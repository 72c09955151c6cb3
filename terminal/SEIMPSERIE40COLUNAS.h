#pragma once

#include "Database.h"
#include "ModalWindow.h"

#include <QString>

#include <array>
#include <memory>

class QFrame;
class QImage;
class QLabel;
class QLineEdit;
class QToolButton;
class KeypadSession;
struct KeypadSettings;
class TComm;
class TFRMSEPRINCIPAL;
class TPrintFast;
class TZELPrinter;
class TicketOutput;
class UnattendedDialogs;

// What the kiosk hands to the series and video windows, filled by the workout retrieval and by
// equipment mode.
using WeekdayFlags = std::array<bool, 7>; // Sunday first
inline QString NOME_ALUNO;
inline QString NOME_PROFESSOR;
inline QString DATA_TREINO;
inline QString DATA_REAVALIACAO_TEXTO;
inline WeekdayFlags DIAS_AEROBICA{};
inline WeekdayFlags DIAS_TREINO{};
inline QString CAMINHO_VIDEO_ATUAL; // the file the video window plays
inline bool VIDEO_DA_SERIE = false; // the video window was opened by the series window

class TFRMIMPSERIE40COLUNAS;
// The one kiosk window, while it exists.
inline TFRMIMPSERIE40COLUNAS* FRMIMPSERIE40COLUNAS = nullptr;

// The kiosk: members type their enrolment number and workout and get it printed or shown;
// in equipment mode they type a machine's code and watch its video. Opened modally from the main
// window's menu; which panel it shows is fixed when it opens.
class TFRMIMPSERIE40COLUNAS : public ModalWindow {
public:
    explicit TFRMIMPSERIE40COLUNAS(TFRMSEPRINCIPAL& owner);
    ~TFRMIMPSERIE40COLUNAS() override;

    // Opens the settings table and the member table chosen by the settings; false (after its
    // message) when either fails.
    bool ABRE_TABELAS();

    // The entry fields' key handlers. Key is a character, 8 Backspace, 13 Enter, 27 Esc; a
    // handler sets it to 0 to discard it. The keypad calls them with Enter and Esc.
    void EDTMATRICULAKeyPress(QChar& Key);
    void EDTTREINOKeyPress(QChar& Key);
    void EDTAPARELHOKeyPress(QChar& Key);

    // Loads the current member's photo into Image1.
    void MOSTRA_FOTO();
    // Copies a blob into a stream; false when it cannot.
    static bool LoadFromBlob(const DataSet& table, const QString& field, QByteArray& stream);
    // Decodes a blob holding a JPEG picture, about the size of Image1; false when the blob could
    // not be read. A blob that is not a JPEG picture raises the decoder's error.
    bool LoadJpgFromTable(const DataSet& table, const QString& field, QImage& image);

    // Fetches the chosen workout and prints it or shows it on screen.
    void IMP_SERIE_40_COLUNOS();
    // Prints the fetched workout as a receipt ticket.
    void IMP_CUPOM();

    void SBSAIRClick();
    void SBSAIRAPARELHOClick();

    bool MPAD_KEYPRESS = false;

    // The serial keypad, when the settings name one (else null): one key byte a received-data
    // event.
    TComm* Comm1 = nullptr;
    void Comm1RxChar(QObject* Sender, int Count);

    // The ticket's printers: the matrix driver on PORTA_IMP, the text printing library on the
    // installed printer Caminho_Impressora.
    TPrintFast* PrintFast1 = nullptr;
    TZELPrinter* ZELPrinter1 = nullptr;

    // Member panel.
    QFrame* PNLSERIE = nullptr;
    QLabel* LBLMATRICULA = nullptr;
    QLineEdit* EDTMATRICULA = nullptr;
    QLabel* LBLNOME = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EDTTREINO = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* LBLAVISO = nullptr;
    QToolButton* SBSAIR = nullptr;

    // Equipment panel.
    QFrame* PNLAPARELHO = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EDTAPARELHO = nullptr;
    QLabel* LBLAVISOAP = nullptr;
    QToolButton* SBSAIRAPARELHO = nullptr;

    // Settings, members, photos, staff.
    TableDataSet TBLCONTROLE;
    TableDataSet TBLALUNOS;
    CommandDataSet TblFotosAlunosSEEK;
    CommandDataSet TBLFUNCSEEK;
    // The video of a machine.
    CommandDataSet TBLEXERCICIOSEEK;
    // The fetched workout: aerobic, strength of workouts A to E, stretching.
    QueryDataSet QRYAEROBICA;
    QueryDataSet QRYEXERCICIOS;
    QueryDataSet QRYEXERCICIOS1;
    QueryDataSet QRYEXERCICIOS2;
    QueryDataSet QRYEXERCICIOS3;
    QueryDataSet QRYEXERCICIOS4;
    QueryDataSet QRYALONGAMENTO;

    // The exercise query of a workout digit "1" to "5"; null for any other text.
    QueryDataSet* exerciseQueryOf(const QString& digit);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closing() override;

private:
    void createMemberPanel();
    void createEquipmentPanel();
    // The entry fields' key handlers, which filter typed, pasted and dropped text alike.
    using KeyHandler = void (TFRMIMPSERIE40COLUNAS::*)(QChar&);
    void filterKeysOf(QLineEdit* field);
    KeyHandler keyHandlerOf(const QObject* field) const;
    void FormShow();
    void FormClose();
    QString setting(const QString& field) const;
    // Opens the settings record; false when it cannot be read or holds no row.
    bool openSettings();

    void findMember();
    void backToRest();
    // The member panel goes back to rest after the series' idle time with no key; a key starts
    // the time again.
    void watchMemberIdle();
    void memberStillThere();
    void showPhoto(const QImage& photo);
    void hidePhoto();
    // A warning on the red label for 2000 ms with a keypad, in a message box without one.
    void warn(QLabel* label, const QString& labelText, const QString& boxText,
              const QString& boxDetail);

    // Equipment mode: the video of the machine whose code is in EDTAPARELHO.
    void playMachineVideo();

    // Keypad steps.
    void setUpKeypad(const KeypadSettings& settings);
    bool keypadConfigured() const;
    // One byte from the keypad; false for a byte that ends the handling of the event.
    bool keypadByte(char byte);
    void keypadEsc();
    void keypadEnter();
    void keypadDigit(QChar digit);
    // Calls a key handler as the keyboard would, with the keypad's hold on the fields let go.
    void passKey(void (TFRMIMPSERIE40COLUNAS::*handler)(QChar&), QChar key);
    bool equipmentPanelShown() const;

    // Retrieval steps.
    void fillSeriesData(const QueryDataSet& exercises);
    QString instructorName(const QString& staffCode);
    void showSeries();

    // Ticket steps.
    void createPrinters();
    // The chosen printer with its document begun; null (after its message) when it cannot print.
    std::unique_ptr<TicketOutput> startTicket();
    void printTicket(TicketOutput& out);
    void printAerobic(TicketOutput& out);
    void printDays(TicketOutput& out, const QString& title, const DataSet& row);
    void printStrength(TicketOutput& out, QueryDataSet& exercises);
    void printFullRow(TicketOutput& out, const DataSet& row, const QString& letter);
    void printReducedRow(TicketOutput& out, const DataSet& row, const QString& letter);
    void printStretching(TicketOutput& out);

    TFRMSEPRINCIPAL& m_owner;
    KeypadSession* m_keypad = nullptr; // the series window takes it over while it is open
    QTimer* m_memberIdle = nullptr;
    // Boxes close by themselves while the kiosk is open on a keypad.
    std::unique_ptr<UnattendedDialogs> m_unattendedDialogs;
};
