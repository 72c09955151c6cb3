#include "TicketLayout.h"

#include "MatrixPrintDriver.h"
#include "PlainLetters.h"
#include "Schema.h"
#include "TicketText.h"

namespace {

// The back office's texts as the ticket prints them: a control character (an escape sequence, a
// form feed) would reprogram the matrix printer or eject its paper.
std::optional<QString> withoutControls(const std::optional<QString>& text) {
    return text ? std::optional(blankControls(*text)) : std::nullopt;
}

AerobicRow withoutControls(AerobicRow row) {
    for (QString* text : {&row.CODIGO_EXERCICIO, &row.EXERCICIO, &row.DESCRICAOABREVIADA}) {
        *text = blankControls(*text);
    }
    return row;
}

StrengthRow withoutControls(StrengthRow row) {
    for (QString* text : {&row.CODIGO_EXERCICIO, &row.EXERCICIO, &row.DESCRICAOABREVIADA,
                          &row.SERIES, &row.REPETICOES, &row.PESO, &row.REGULAGEM}) {
        *text = blankControls(*text);
    }
    row.OBS = withoutControls(row.OBS);
    return row;
}

Workout withoutControls(Workout workout) {
    workout.sheet.NOME_ALUNO = blankControls(workout.sheet.NOME_ALUNO);
    for (AerobicRow& row : workout.aerobic) {
        row = withoutControls(std::move(row));
    }
    for (StrengthRow& row : workout.strength) {
        row = withoutControls(std::move(row));
    }
    if (workout.stretching) {
        workout.stretching->Obs = withoutControls(workout.stretching->Obs);
    }
    return workout;
}

const QString yes = QStringLiteral("Sim");

// The days of a row, "Dom Seg " and so on, each with its blank.
QString daysText(const WeekdayFlags& flags) {
    QString days;
    for (size_t day = 0; day < flags.size(); ++day) {
        if (flags[day]) {
            const QString& column = schema::weekdayColumns().at(qsizetype(day));
            days += column.at(0) + column.mid(1).toLower() + QLatin1Char(' ');
        }
    }
    return days;
}

QString rightAligned(QString text, int width) {
    padLeft(text, width);
    return text;
}

// A whole number as the mask "####0" gives it, right-aligned to a width.
QString figure(double value, int width) {
    return rightAligned(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), value).trimmed(),
                        width);
}

QString cut(const QString& text, const RepetitionsCut& how) {
    return how.keepLast ? text.right(how.length) : text.left(how.length);
}

class Layout {
public:
    Layout(const Workout& workout, const TicketSettings& settings, TicketOutput& out)
        : m_workout(withoutControls(workout))
        , m_settings(settings)
        , m_out(out)
        , m_at(out.columns)
        , m_letter(workout.sheet.LETRA_TREINO)
        , m_workoutA(workout.isWorkoutA()) {}

    void print() {
        m_out.blankLine();
        m_out.rule();
        m_out.text(m_at.left,
                   m_workout.sheet.MATRICULA + QStringLiteral(" - ") +
                       withoutAccents(m_workout.sheet.NOME_ALUNO).left(27),
                   true);
        m_out.rule();
        if (!m_workout.aerobic.empty()) {
            printAerobic();
        }
        if (!m_workout.strength.empty()) {
            printStrength();
        }
        if (m_workoutA && m_workout.stretching) {
            printStretching(*m_workout.stretching);
        }
        m_out.rule();
        for (int line = 0; line < m_settings.ESPACO; ++line) {
            m_out.blankLine();
        }
    }

private:
    void printDays(const QString& title, const WeekdayFlags& flags) {
        const QString days = daysText(flags);
        if (!days.isEmpty()) {
            m_out.text(m_at.left, title + days, true);
            m_out.blankLine();
        }
    }

    void printAerobic() {
        m_out.text(12, QStringLiteral("ATIVIDADE AEROBICA"), true);
        printDays(QStringLiteral("Dias: "), m_workout.sheet.DIAS_AEROBICA);
        m_out.text(m_at.left, QStringLiteral("Aparelho Duracao(min) Velocidade   Nivel"), true);
        m_out.rule();
        const QString& reduced = m_settings.IMPRESSAOREDUZIDA;
        const bool byName =
            !m_settings.POR_CODIGO_APARELHO &&
            (!m_at.aerobicNameOnlyWhenNotReduced || reduced == QStringLiteral("Não"));
        for (const AerobicRow& row : m_workout.aerobic) {
            if (byName) {
                m_out.text(m_at.left, withoutAccents(row.EXERCICIO), true);
            } else if (reduced == yes) {
                m_out.text(m_at.left, row.DESCRICAOABREVIADA.trimmed(), false);
            } else {
                m_out.text(m_at.code, row.CODIGO_EXERCICIO, false);
            }
            m_out.text(16, figure(row.DURACAO.value, m_at.aerobicFigureWidth), false);
            m_out.text(27, figure(row.VELOCIDADE.value, m_at.aerobicFigureWidth), false);
            m_out.text(35, figure(row.NIVEL_DIFICULDADE.value, m_at.aerobicFigureWidth), true);
        }
        m_out.blankLine();
    }

    void printStrength() {
        const bool reduced = m_settings.IMPRESSAOREDUZIDA == yes;
        m_out.text(16, QStringLiteral("MUSCULACAO"), true);
        printDays(QStringLiteral("Treino: %1 Dias: ").arg(m_letter), m_workout.sheet.DIAS_TREINO);
        m_out.text(m_at.left,
                   reduced ? QStringLiteral("Aparelho         Serie  Repet.  Peso Reg")
                           : QStringLiteral("Aparelho Serie Repeticoes Peso Reg Inter"),
                   true);
        m_out.rule();
        for (const StrengthRow& row : m_workout.strength) {
            reduced ? printReducedRow(row) : printFullRow(row);
            if (row.OBS) {
                m_out.observation(withoutAccents(*row.OBS));
            }
        }
        if (QString::fromLatin1(m_at.blankLineAfterStrengthOf).contains(m_letter)) {
            m_out.blankLine();
        }
    }

    void printFullRow(const StrengthRow& row) {
        if (m_settings.POR_CODIGO_APARELHO) {
            m_out.text(m_at.code, row.CODIGO_EXERCICIO, false);
        } else {
            m_out.text(m_at.left, withoutAccents(row.EXERCICIO), true);
        }
        m_out.text(m_at.series, rightAligned(row.SERIES, 5), false);
        m_out.text(m_at.repetitions, rightAligned(row.REPETICOES, 8), false);
        m_out.text(m_at.weight, rightAligned(row.PESO, 4), false);
        m_out.text(m_at.adjustment, rightAligned(row.REGULAGEM, 3), false);
        m_out.text(
            m_at.rest,
            figure(row.INTERVALO.value, m_workoutA ? m_at.restWidthOfA : m_at.restWidthOfBToE),
            true);
    }

    void printReducedRow(const StrengthRow& row) {
        m_out.text(m_at.left,
                   withoutAccents(row.DESCRICAOABREVIADA)
                       .leftJustified(m_at.shortNameWidth, QLatin1Char(' '), true),
                   false);
        m_out.text(m_at.reducedSeries, rightAligned(row.SERIES, 5), false);
        const RepetitionsCut& repetitions =
            m_workoutA ? m_at.reducedRepetitionsOfA : m_at.reducedRepetitionsOfBToE;
        m_out.text(repetitions.column, cut(rightAligned(row.REPETICOES, 8), repetitions), false);
        m_out.text(m_at.reducedWeight, rightAligned(row.PESO, 4), false);
        m_out.text(m_at.reducedAdjustment, rightAligned(row.REGULAGEM, 3), true);
    }

    void printStretching(const StretchingRow& row) {
        m_out.text(m_at.stretchingTitle, QStringLiteral("ALONGAMENTO"), true);
        if (!row.Obs) {
            return;
        }
        // Line breaks inside the memo count as characters, as they always have.
        const QString memo = withoutAccents(*row.Obs);
        qsizetype start = 0;
        for (; memo.size() - start >= 40; start += 40) {
            m_out.text(m_at.left, memo.mid(start, 40), true);
        }
        m_out.text(m_at.left, memo.mid(start), true);
    }

    const Workout m_workout;
    const TicketSettings& m_settings;
    TicketOutput& m_out;
    const TicketColumns& m_at;
    const QString m_letter; // "A" to "E"
    const bool m_workoutA;
};

} // namespace

void printTicket(const Workout& workout, const TicketSettings& settings, TicketOutput& out) {
    Layout(workout, settings, out).print();
}
