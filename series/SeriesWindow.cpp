#include "SeriesWindow.h"

#include "DataGrid.h"
#include "KeyChar.h"
#include "MediaPlayer.h"
#include "Messages.h"
#include "Pictures.h"
#include "TextHelpers.h"
#include "VideoWindow.h"
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

std::vector<GridColumn> aerobicColumns() {
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

std::vector<GridColumn> strengthColumns() {
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

SeriesWindow::SeriesWindow(QWidget& owner, const Workout& workout, Connection& catalogue,
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

    exerciseLookup.setConnection(&catalogue);
    createKeypad(kioskKeypad);
    idleTimer = new QTimer(this);
    connect(idleTimer, &QTimer::timeout, this, &SeriesWindow::idleTimedOut);
    idleTimer->start(designIdleMs);
}

SeriesWindow::~SeriesWindow() {
    // Also when the window goes without having closed (an error out of its modal loop).
    giveKeypadBack();
}

void SeriesWindow::createHeader() {
    enrolmentCaption = label(m_page, QStringLiteral("Matrícula:"), {10, 6, 80, 18}, true);
    enrolment = label(m_page, QString(), {92, 6, 110, 18});
    nameCaption = label(m_page, QStringLiteral("Nome:"), {215, 6, 50, 18}, true);
    memberName = label(m_page, QString(), {268, 6, 420, 18});
    instructorCaption = label(m_page, QStringLiteral("Professor:"), {10, 26, 80, 18}, true);
    instructor = label(m_page, QString(), {92, 26, 420, 18});
    startDateCaption = label(m_page, QStringLiteral("Data do Início:"), {700, 26, 110, 18}, true);
    startDate = label(m_page, QString(), {812, 26, 200, 18});
    headerRule = label(m_page, QString(150, QLatin1Char('_')), {0, 30, pageWidth, 16});
    headerRule->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void SeriesWindow::createAerobicSection() {
    aerobicPanel = section(m_page, {0, 46, pageWidth, 182});
    aerobicPanel->hide();
    aerobicHeading = heading(aerobicPanel, QStringLiteral("ATIVIDADE AERÓBICA"));
    aerobicDaysCaption = label(aerobicPanel, QStringLiteral("Dias: "), {10, 28, 40, 18}, true);
    aerobicDays = weekdayLabels(aerobicPanel, 52, 28);
    aerobicGrid = createGrid(aerobicPanel, {8, 48, 1008, 130}, true);
}

void SeriesWindow::createExerciseSection() {
    strengthPanel = section(m_page, {0, 230, pageWidth, 503});
    strengthHeading = heading(strengthPanel, QStringLiteral("MUSCULAÇÃO"));
    workoutCaption = label(strengthPanel, QStringLiteral("Treino: "), {10, 28, 52, 18}, true);
    workoutName = label(strengthPanel, QString(), {64, 28, 20, 18}, true);
    strengthDaysCaption = label(strengthPanel, QStringLiteral("Dias: "), {100, 28, 40, 18}, true);
    strengthDays = weekdayLabels(strengthPanel, 142, 28);
    reassessmentCaption =
        label(strengthPanel, QStringLiteral("Reavaliação:"), {700, 28, 100, 18}, true);
    reassessmentDate = label(strengthPanel, QString(), {802, 28, 150, 18});
    for (DataGrid*& grid : strengthGrid) {
        grid = createGrid(strengthPanel, {8, 48, 1008, 196}, false);
        grid->hide();
    }
}

void SeriesWindow::createStretching() {
    stretchingPicture = new QLabel(strengthPanel);
    stretchingPicture->setGeometry(11, 250, 1002, 117);
    stretchingPicture->setPixmap(picture(QStringLiteral("alongamentos.png")));
    for (size_t i = 0; i < stretchingPositions.size(); ++i) {
        auto* box = new QCheckBox(stretchingPicture);
        box->move(stretchingBoxPlace(static_cast<int>(i)));
        box->resize(box->sizeHint());
        // Shown, never changed: the prescription is the instructor's.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
        stretchingPositions[i] = box;
    }
    stretchingNotes = new QPlainTextEdit(strengthPanel);
    stretchingNotes->setGeometry(8, 372, 1008, 124);
    stretchingNotes->setReadOnly(true);
    stretchingNotes->installEventFilter(this);
}

DataGrid* SeriesWindow::createGrid(QWidget* parent, const QRect& geometry, bool aerobic) {
    auto* grid = new DataGrid(parent);
    grid->setGeometry(geometry);
    grid->setColumns(aerobic ? aerobicColumns() : strengthColumns());
    grid->setFixedColor(fixedColour);
    grid->setTitleFont(arialFont(10, true));
    grid->setToolTip(gridHint);
    if (aerobic) {
        grid->onKeyPress = [this](QChar key) {
            aerobicGridKey(key);
        };
        grid->onDoubleClick = [this] {
            playAerobicRow();
        };
    } else {
        grid->onKeyPress = [this, grid](QChar key) {
            strengthGridKey(*grid, key);
        };
        grid->onDoubleClick = [this, grid] {
            playStrengthRow(*grid);
        };
    }
    return grid;
}

void SeriesWindow::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        firstShown();
    }
}

void SeriesWindow::resizeEvent(QResizeEvent* event) {
    ModalWindow::resizeEvent(event);
    m_page->move(std::max(0, (width() - pageWidth) / 2), std::max(0, (height() - pageHeight) / 2));
}

void SeriesWindow::firstShown() {
    idleTimer->setInterval(SheetData::idleIntervalMs(m_workout.sheet.Tempo_Serie));
    startIdleTimeOut();

    enrolment->setText(m_workout.sheet.MATRICULA);
    memberName->setText(m_workout.sheet.NOME_ALUNO);
    startDate->setText(m_workout.sheet.DATA_TREINO);
    instructor->setText(m_workout.sheet.NOME_PROFESSOR);
    showStretching();

    if (m_workout.isWorkoutA()) {
        aerobicGrid->bind(aerobicRows(m_workout.aerobic));
        aerobicHeading->setGeometry(0, aerobicHeading->y(), pageWidth, aerobicHeading->height());
        markWeekdays(aerobicDays, m_workout.sheet.DIAS_AEROBICA);
        aerobicPanel->show();
        strengthPanel->move(strengthPanel->x(), 230);
    } else {
        strengthPanel->move(strengthPanel->x(), 46);
    }
    strengthHeading->setGeometry(0, strengthHeading->y(), pageWidth, strengthHeading->height());

    for (DataGrid* grid : strengthGrid) {
        grid->hide();
    }
    const qlonglong workout = textToInteger(m_workout.sheet.TREINO);
    if (workout >= 1 && workout <= 5) {
        const auto index = static_cast<size_t>(workout - 1);
        workoutName->setText(m_workout.sheet.LETRA_TREINO);
        strengthGrid[index]->bind(strengthRows(m_workout.strength));
        strengthGrid[index]->show();
    }
    markWeekdays(strengthDays, m_workout.sheet.DIAS_TREINO);

    const qlonglong reassessment = textToInteger(m_workout.sheet.TEMPO_REAVALIACAO);
    reassessmentDate->setText(reassessment != 0 ? m_workout.sheet.DATA_REAVALIACAO_TEXTO
                                                : QStringLiteral("    /       /"));
    takeKeypadOver();
    QCoreApplication::processEvents();
}

// The check boxes and the memo show the stretching row.
void SeriesWindow::showStretching() {
    const StretchingRow stretching = m_workout.stretching.value_or(StretchingRow{});
    for (size_t i = 0; i < stretchingPositions.size(); ++i) {
        stretchingPositions[i]->setChecked(stretching.Alogamento[i]);
    }
    stretchingNotes->setPlainText(stretching.Obs.value_or(QString()));
}

void SeriesWindow::startIdleTimeOut() {
    if (idleTimer->interval() > 0) {
        idleTimer->start();
    } else {
        idleTimer->stop();
    }
}

void SeriesWindow::aerobicGridKey(QChar key) {
    if (key == platform::keyEsc) {
        close();
    } else if (key == platform::keyEnter) {
        lookUpVideo(*aerobicGrid, QStringLiteral("S"));
    }
}

void SeriesWindow::playAerobicRow() {
    lookUpVideo(*aerobicGrid, QStringLiteral("S"));
}

void SeriesWindow::strengthGridKey(DataGrid& sender, QChar key) {
    if (key == platform::keyEsc) {
        close();
    } else if (key == platform::keyEnter) {
        lookUpVideo(sender, QStringLiteral("N"));
    }
}

void SeriesWindow::playStrengthRow(DataGrid& sender) {
    lookUpVideo(sender, QStringLiteral("N"));
}

void SeriesWindow::lookUpVideo(const DataGrid& grid, const QString& type) {
    idleTimer->stop();
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

std::optional<QString> SeriesWindow::videoPathOf(const DataGrid& grid, const QString& type) {
    exerciseLookup.close();
    exerciseLookup.setCommandText(
        QStringLiteral("select Caminho_Video from Exercicios WHERE (TIPO = :TIPO) AND (CODIGO = "
                       ":CODIGO)"));
    exerciseLookup.setParameter(QStringLiteral("TIPO"), type);
    exerciseLookup.setParameter(QStringLiteral("CODIGO"),
                                grid.currentFieldText(QStringLiteral("CODIGO_EXERCICIO")));
    exerciseLookup.open();
    const QString path = QStringLiteral("Caminho_Video");
    if (exerciseLookup.eof() || exerciseLookup.isNull(path)) {
        return std::nullopt;
    }
    return exerciseLookup.fieldText(path);
}

void SeriesWindow::stretchingKey(QChar key) {
    windowKey(key);
}

void SeriesWindow::windowKey(QChar key) {
    if (key == platform::keyEsc) {
        close();
    }
}

void SeriesWindow::idleTimedOut() {
    close();
}

void SeriesWindow::keyPressEvent(QKeyEvent* event) {
    const QChar key = platform::keyCharOf(*event);
    if (key == platform::keyEsc) {
        windowKey(key);
        event->accept();
        return;
    }
    ModalWindow::keyPressEvent(event);
}

bool SeriesWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == stretchingNotes && event->type() == QEvent::KeyPress) {
        const QChar key = platform::keyCharOf(*static_cast<QKeyEvent*>(event));
        stretchingKey(key);
        return key == platform::keyEsc;
    }
    return ModalWindow::eventFilter(watched, event);
}

void SeriesWindow::closing() {
    idleTimer->stop();
    exerciseLookup.close();
    giveKeypadBack();
}
