#include "SESERIEVIDEO.h"

#include "DBGrid.h"
#include "KeyChar.h"
#include "MediaPlayer.h"
#include "Pictures.h"
#include "Messages.h"
#include "TextHelpers.h"
#include "SEVIDEO.h"
#include "WindowLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace {

constexpr int pageWidth = 1024;
constexpr int pageHeight = 730;
constexpr int designIdleMs = 60000;

const QString gridHint = QStringLiteral("Clique duplo ou Enter para exibir Video Aula");
const QStringList weekdayNames{QStringLiteral("Domingo"), QStringLiteral("Segunda "),
                               QStringLiteral("Terça"),   QStringLiteral("Quarta"),
                               QStringLiteral("Quinta "), QStringLiteral("Sexta"),
                               QStringLiteral("Sábado")};

// The colours as the window has always given them (0x00BBGGRR).
const QColor background = colorFromBgr(0xDFDFDF);
const QColor titleColour = colorFromBgr(0xFF8000);
const QColor fixedColour = colorFromBgr(0xFBEDD7);
const QColor dayColour = colorFromBgr(255);

// Where each stretching position's box sits on the picture: 13 positions in the upper row,
// 10 in the lower, each box at the top left of its position (scripts/draw-stretching-picture
// draws the positions in the same places).
QPoint stretchingBoxPlace(int index) {
    if (index < 13) {
        return {index * 77 + 3, 3};
    }
    return {(index - 13) * 100 + 4, 61};
}

QLabel* label(QWidget* parent, const QString& text, const QRect& geometry, bool bold = false) {
    auto* created = new QLabel(text, parent);
    created->setGeometry(geometry);
    created->setFont(arialFont(10, bold));
    return created;
}

QLabel* heading(QWidget* parent, const QString& text) {
    QLabel* created = label(parent, text, {0, 2, pageWidth, 24});
    created->setFont(arialFont(14, true));
    created->setAlignment(Qt::AlignCenter);
    QPalette palette = created->palette();
    palette.setColor(QPalette::WindowText, colorFromBgr(0x800000)); // navy
    created->setPalette(palette);
    return created;
}

QFrame* section(QWidget* parent, const QRect& geometry) {
    auto* created = new QFrame(parent);
    created->setFrameShape(QFrame::NoFrame);
    created->setGeometry(geometry);
    return created;
}

void setTextColour(QLabel& target, const QColor& colour) {
    QPalette palette = target.palette();
    palette.setColor(QPalette::WindowText, colour);
    target.setPalette(palette);
}

// The seven weekday names after "Dias: ", from x.
std::array<QLabel*, 7> weekdayLabels(QWidget* parent, int x, int y) {
    std::array<QLabel*, 7> labels{};
    for (size_t day = 0; day < labels.size(); ++day) {
        labels[day] = label(parent, weekdayNames[static_cast<int>(day)],
                            {x + static_cast<int>(day) * 76, y, 74, 18}, true);
    }
    return labels;
}

void markWeekdays(const std::array<QLabel*, 7>& labels, const WeekdayFlags& days) {
    for (size_t day = 0; day < labels.size(); ++day) {
        if (days[day]) {
            setTextColour(*labels[day], dayColour);
        }
    }
}

std::vector<TColumn> aerobicColumns() {
    return {
        {QStringLiteral("CODIGO_EXERCICIO"), QStringLiteral("Código"), 53, Qt::AlignHCenter,
         titleColour},
        {QStringLiteral("EXERCICIO"), QStringLiteral("Descrição"), 507, Qt::AlignLeft, titleColour},
        {QStringLiteral("DURACAO"), QStringLiteral("Duração (mim)"), 129, Qt::AlignLeft,
         titleColour},
        {QStringLiteral("VELOCIDADE"), QStringLiteral("Velocidade"), 118, Qt::AlignLeft,
         titleColour},
        {QStringLiteral("NIVEL_DIFICULDADE"), QStringLiteral("NÍvel de Dificuldade"), 157,
         Qt::AlignLeft, titleColour},
    };
}

std::vector<TColumn> strengthColumns() {
    return {
        {QStringLiteral("APARELHO"), QStringLiteral("Ap."), 30, Qt::AlignHCenter, titleColour},
        {QStringLiteral("EXERCICIO"), QStringLiteral("Descrição"), 272, Qt::AlignLeft, titleColour},
        {QStringLiteral("SERIES"), QStringLiteral("Séries"), 59, Qt::AlignHCenter, titleColour},
        {QStringLiteral("REPETICOES"), QStringLiteral("Repetições"), 90, Qt::AlignHCenter,
         titleColour},
        {QStringLiteral("PESO"), QStringLiteral("Peso"), 66, Qt::AlignHCenter, titleColour},
        {QStringLiteral("REGULAGEM"), QStringLiteral("Regulagem"), 82, Qt::AlignHCenter,
         titleColour},
        {QStringLiteral("INTERVALO"), QStringLiteral("Intervalo"), 121, Qt::AlignHCenter,
         titleColour},
        {QStringLiteral("OBS"), QStringLiteral("Observação"), 241, Qt::AlignLeft, titleColour},
    };
}

GridRows aerobicRows(const std::vector<AerobicRow>& rows) {
    GridRows grid{{QStringLiteral("CODIGO_EXERCICIO"), QStringLiteral("EXERCICIO"),
                   QStringLiteral("DURACAO"), QStringLiteral("VELOCIDADE"),
                   QStringLiteral("NIVEL_DIFICULDADE")},
                  {}};
    for (const AerobicRow& row : rows) {
        grid.rows.push_back({row.CODIGO_EXERCICIO, row.EXERCICIO, row.DURACAO.text,
                             row.VELOCIDADE.text, row.NIVEL_DIFICULDADE.text});
    }
    return grid;
}

GridRows strengthRows(const std::vector<StrengthRow>& rows) {
    GridRows grid{{QStringLiteral("CODIGO_EXERCICIO"), QStringLiteral("APARELHO"),
                   QStringLiteral("EXERCICIO"), QStringLiteral("SERIES"),
                   QStringLiteral("REPETICOES"), QStringLiteral("PESO"),
                   QStringLiteral("REGULAGEM"), QStringLiteral("INTERVALO"), QStringLiteral("OBS")},
                  {}};
    for (const StrengthRow& row : rows) {
        grid.rows.push_back({row.CODIGO_EXERCICIO, row.APARELHO, row.EXERCICIO, row.SERIES,
                             row.REPETICOES, row.PESO, row.REGULAGEM, row.INTERVALO.text,
                             row.OBS.value_or(QString())});
    }
    return grid;
}

} // namespace

TFRMSERIEVIDEO::TFRMSERIEVIDEO(QWidget& owner, const Workout& workout, Connection& catalogue,
                               KeypadSession* kioskKeypad)
    : ModalWindow(&owner)
    , m_workout(workout) {
    setWindowTitle(QStringLiteral("Série Video "));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // Maximised on the terminal's screen; a screen smaller than the layout gets it whole all the
    // same (scrolled off the edge rather than cut).
    setMinimumSize(pageWidth, pageHeight);
    const QSize available = screen()->availableGeometry().size();
    if (available.width() >= pageWidth && available.height() >= pageHeight) {
        setWindowState(Qt::WindowMaximized);
    } else {
        resize(pageWidth, pageHeight);
    }
    paintBackground(*this, background);
    m_page = new QWidget(this);
    m_page->setFixedSize(pageWidth, pageHeight);
    m_page->setFont(arialFont(10));
    createHeader();
    createAerobicSection();
    createExerciseSection();
    createStretching();

    TBLEXERCICIOSEEK.setConnection(&catalogue);
    createKeypad(kioskKeypad);
    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &TFRMSERIEVIDEO::Timer1Timer);
    Timer1->start(designIdleMs);
}

TFRMSERIEVIDEO::~TFRMSERIEVIDEO() {
    // Also when the window goes without having closed (an error out of its modal loop).
    giveKeypadBack();
}

void TFRMSERIEVIDEO::createHeader() {
    Label1 = label(m_page, QStringLiteral("Matrícula:"), {10, 6, 80, 18}, true);
    LBLMATRICULA = label(m_page, QString(), {92, 6, 110, 18});
    Label2 = label(m_page, QStringLiteral("Nome:"), {215, 6, 50, 18}, true);
    LBLNOME = label(m_page, QString(), {268, 6, 420, 18});
    Label3 = label(m_page, QStringLiteral("Professor:"), {10, 26, 80, 18}, true);
    LBLPROFESSOR = label(m_page, QString(), {92, 26, 420, 18});
    Label13 = label(m_page, QStringLiteral("Data do Início:"), {700, 26, 110, 18}, true);
    LBLDATAINICIO = label(m_page, QString(), {812, 26, 200, 18});
    Label4 = label(m_page, QString(150, QLatin1Char('_')), {0, 30, pageWidth, 16});
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void TFRMSERIEVIDEO::createAerobicSection() {
    PNLAEROBICO = section(m_page, {0, 46, pageWidth, 182});
    PNLAEROBICO->hide();
    LBLAROBICA = heading(PNLAEROBICO, QStringLiteral("ATIVIDADE AERÓBICA"));
    Label5 = label(PNLAEROBICO, QStringLiteral("Dias: "), {10, 28, 40, 18}, true);
    LBLAero = weekdayLabels(PNLAEROBICO, 52, 28);
    DBGAEROBICA = createGrid(PNLAEROBICO, {8, 48, 1008, 130}, true);
}

void TFRMSERIEVIDEO::createExerciseSection() {
    PNLEXERCICIO = section(m_page, {0, 230, pageWidth, 503});
    LBLEXERCICIO = heading(PNLEXERCICIO, QStringLiteral("MUSCULAÇÃO"));
    Label9 = label(PNLEXERCICIO, QStringLiteral("Treino: "), {10, 28, 52, 18}, true);
    LBLTREINO = label(PNLEXERCICIO, QString(), {64, 28, 20, 18}, true);
    Label7 = label(PNLEXERCICIO, QStringLiteral("Dias: "), {100, 28, 40, 18}, true);
    LBLExer = weekdayLabels(PNLEXERCICIO, 142, 28);
    Label6 = label(PNLEXERCICIO, QStringLiteral("Reavaliação:"), {700, 28, 100, 18}, true);
    LBLREAVALIACAO = label(PNLEXERCICIO, QString(), {802, 28, 150, 18});
    for (TDBGrid*& grid : DBGEXERCICIOS) {
        grid = createGrid(PNLEXERCICIO, {8, 48, 1008, 196}, false);
        grid->hide();
    }
}

void TFRMSERIEVIDEO::createStretching() {
    Image3 = new QLabel(PNLEXERCICIO);
    Image3->setGeometry(11, 250, 1002, 117);
    Image3->setPixmap(picture(QStringLiteral("alongamentos.png")));
    for (size_t i = 0; i < DBCBAlogamento.size(); ++i) {
        auto* box = new QCheckBox(Image3);
        box->move(stretchingBoxPlace(static_cast<int>(i)));
        box->resize(box->sizeHint());
        // Shown, never changed: the prescription is the instructor's.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
        DBCBAlogamento[i] = box;
    }
    DBMEMOALONGAMENTO = new QPlainTextEdit(PNLEXERCICIO);
    DBMEMOALONGAMENTO->setGeometry(8, 372, 1008, 124);
    DBMEMOALONGAMENTO->setReadOnly(true);
    DBMEMOALONGAMENTO->installEventFilter(this);
}

TDBGrid* TFRMSERIEVIDEO::createGrid(QWidget* parent, const QRect& geometry, bool aerobic) {
    auto* grid = new TDBGrid(parent);
    grid->setGeometry(geometry);
    grid->setColumns(aerobic ? aerobicColumns() : strengthColumns());
    grid->setFixedColor(fixedColour);
    grid->setTitleFont(arialFont(10, true));
    grid->setToolTip(gridHint);
    if (aerobic) {
        grid->OnKeyPress = [this](QChar key) {
            DBGAEROBICAKeyPress(key);
        };
        grid->OnDblClick = [this] {
            DBGAEROBICADblClick();
        };
    } else {
        grid->OnKeyPress = [this, grid](QChar key) {
            DBGEXERCICIOSKeyPress(*grid, key);
        };
        grid->OnDblClick = [this, grid] {
            DBGEXERCICIOSDblClick(*grid);
        };
    }
    return grid;
}

void TFRMSERIEVIDEO::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        firstShown();
    }
}

void TFRMSERIEVIDEO::resizeEvent(QResizeEvent* event) {
    ModalWindow::resizeEvent(event);
    m_page->move(std::max(0, (width() - pageWidth) / 2), std::max(0, (height() - pageHeight) / 2));
}

void TFRMSERIEVIDEO::firstShown() {
    Timer1->setInterval(SheetData::idleIntervalMs(m_workout.sheet.Tempo_Serie));
    startIdleTimeOut();

    LBLMATRICULA->setText(m_workout.sheet.MATRICULA);
    LBLNOME->setText(m_workout.sheet.NOME_ALUNO);
    LBLDATAINICIO->setText(m_workout.sheet.DATA_TREINO);
    LBLPROFESSOR->setText(m_workout.sheet.NOME_PROFESSOR);
    showStretching();

    if (m_workout.isWorkoutA()) {
        DBGAEROBICA->bind(aerobicRows(m_workout.aerobic));
        LBLAROBICA->setGeometry(0, LBLAROBICA->y(), pageWidth, LBLAROBICA->height());
        markWeekdays(LBLAero, m_workout.sheet.DIAS_AEROBICA);
        PNLAEROBICO->show();
        PNLEXERCICIO->move(PNLEXERCICIO->x(), 230);
    } else {
        PNLEXERCICIO->move(PNLEXERCICIO->x(), 46);
    }
    LBLEXERCICIO->setGeometry(0, LBLEXERCICIO->y(), pageWidth, LBLEXERCICIO->height());

    for (TDBGrid* grid : DBGEXERCICIOS) {
        grid->hide();
    }
    const qlonglong workout = textToInteger(m_workout.sheet.TREINO);
    if (workout >= 1 && workout <= 5) {
        const auto index = static_cast<size_t>(workout - 1);
        LBLTREINO->setText(m_workout.sheet.LETRA_TREINO);
        DBGEXERCICIOS[index]->bind(strengthRows(m_workout.strength));
        DBGEXERCICIOS[index]->show();
    }
    markWeekdays(LBLExer, m_workout.sheet.DIAS_TREINO);

    const qlonglong reassessment = textToInteger(m_workout.sheet.TEMPO_REAVALIACAO);
    LBLREAVALIACAO->setText(reassessment != 0 ? m_workout.sheet.DATA_REAVALIACAO_TEXTO
                                              : QStringLiteral("    /       /"));
    takeKeypadOver();
    QCoreApplication::processEvents();
}

// The check boxes and the memo show the stretching row.
void TFRMSERIEVIDEO::showStretching() {
    const StretchingRow stretching = m_workout.stretching.value_or(StretchingRow{});
    for (size_t i = 0; i < DBCBAlogamento.size(); ++i) {
        DBCBAlogamento[i]->setChecked(stretching.Alogamento[i]);
    }
    DBMEMOALONGAMENTO->setPlainText(stretching.Obs.value_or(QString()));
}

void TFRMSERIEVIDEO::startIdleTimeOut() {
    if (Timer1->interval() > 0) {
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void TFRMSERIEVIDEO::DBGAEROBICAKeyPress(QChar Key) {
    if (Key == platform::keyEsc) {
        close();
    } else if (Key == platform::keyEnter) {
        lookUpVideo(*DBGAEROBICA, QStringLiteral("S"));
    }
}

void TFRMSERIEVIDEO::DBGAEROBICADblClick() {
    lookUpVideo(*DBGAEROBICA, QStringLiteral("S"));
}

void TFRMSERIEVIDEO::DBGEXERCICIOSKeyPress(TDBGrid& sender, QChar Key) {
    if (Key == platform::keyEsc) {
        close();
    } else if (Key == platform::keyEnter) {
        lookUpVideo(sender, QStringLiteral("N"));
    }
}

void TFRMSERIEVIDEO::DBGEXERCICIOSDblClick(TDBGrid& sender) {
    lookUpVideo(sender, QStringLiteral("N"));
}

void TFRMSERIEVIDEO::lookUpVideo(const TDBGrid& grid, const QString& type) {
    Timer1->stop();
    std::optional<QString> path;
    try {
        path = videoPathOf(grid, type);
    } catch (...) {
        // Without a video the window must still close by itself.
        startIdleTimeOut();
        throw;
    }
    if (!path) {
        startIdleTimeOut();
        return;
    }
    const bool found = platform::isVideoFile(*path);
    if (!isVisible()) {
        return; // closed from the keypad while the file was looked for
    }
    if (!found) {
        showMessage(MessageKind::Information, msg::VideoInexistente,
                 QStringLiteral("Windows Media Player"));
        startIdleTimeOut();
        return;
    }
    showVideoWindow(
        this, *path, [this] { startIdleTimeOut(); }, m_keypad);
}

std::optional<QString> TFRMSERIEVIDEO::videoPathOf(const TDBGrid& grid, const QString& type) {
    TBLEXERCICIOSEEK.close();
    TBLEXERCICIOSEEK.setCommandText(
        QStringLiteral("select Caminho_Video from Exercicios WHERE (TIPO = :TIPO) AND (CODIGO = "
                       ":CODIGO)"));
    TBLEXERCICIOSEEK.setParameter(QStringLiteral("TIPO"), type);
    TBLEXERCICIOSEEK.setParameter(QStringLiteral("CODIGO"),
                                  grid.currentFieldText(QStringLiteral("CODIGO_EXERCICIO")));
    TBLEXERCICIOSEEK.open();
    const QString path = QStringLiteral("Caminho_Video");
    if (TBLEXERCICIOSEEK.eof() || TBLEXERCICIOSEEK.isNull(path)) {
        return std::nullopt;
    }
    return TBLEXERCICIOSEEK.fieldText(path);
}

void TFRMSERIEVIDEO::DBMEMOALONGAMENTOKeyPress(QChar Key) {
    FormKeyPress(Key);
}

void TFRMSERIEVIDEO::FormKeyPress(QChar Key) {
    if (Key == platform::keyEsc) {
        close();
    }
}

void TFRMSERIEVIDEO::Timer1Timer() {
    close();
}

void TFRMSERIEVIDEO::keyPressEvent(QKeyEvent* event) {
    const QChar key = platform::keyCharOf(*event);
    if (key == platform::keyEsc) {
        FormKeyPress(key);
        event->accept();
        return;
    }
    ModalWindow::keyPressEvent(event);
}

bool TFRMSERIEVIDEO::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBMEMOALONGAMENTO && event->type() == QEvent::KeyPress) {
        const QChar key = platform::keyCharOf(*static_cast<QKeyEvent*>(event));
        DBMEMOALONGAMENTOKeyPress(key);
        return key == platform::keyEsc;
    }
    return ModalWindow::eventFilter(watched, event);
}

void TFRMSERIEVIDEO::closing() {
    Timer1->stop();
    TBLEXERCICIOSEEK.close();
    giveKeypadBack();
}
