#include "SheetData.h"

#include "Database.h"

#include <QLocale>

#include <algorithm>
#include <climits>
#include <functional>

SheetData SheetData::ofMember(const QString& enrolment, const QString& name) {
    SheetData sheet;
    sheet.MATRICULA = enrolment;
    sheet.NOME_ALUNO = name;
    return sheet;
}

int SheetData::idleIntervalMs(int Tempo_Serie) {
    return static_cast<int>(std::clamp<qint64>(qint64{1000} * Tempo_Serie, 0, INT_MAX));
}

namespace {

// A date as the series window shows it; blank when the back office holds one that does not read
// as a date, which must not cost the member his workout.
QString dateText(const DataSet& row, const QString& field,
                 const std::function<QString(QDate)>& format) {
    try {
        return format(row.fieldDateTime(field).date());
    } catch (const DatabaseError&) {
        return {};
    }
}

} // namespace

void SheetData::readExerciseRow(const DataSet& row) {
    DATA_TREINO = dateText(row, QStringLiteral("DATA"), [](QDate date) {
        return QLocale().toString(date, QStringLiteral("dd / MMMM / yyyy"));
    });
    DATA_REAVALIACAO_TEXTO = dateText(row, QStringLiteral("DATA_REAVALIACAO"), [](QDate date) {
        return date.toString(QStringLiteral("dd/MM/yyyy"));
    });
    DIAS_TREINO = weekdaysOf(row);
}
