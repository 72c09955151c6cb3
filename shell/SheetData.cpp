#include "SheetData.h"

#include "Database.h"

#include <QLocale>

#include <algorithm>
#include <climits>

SheetData SheetData::ofMember(const QString& enrolment, const QString& name) {
    SheetData sheet;
    sheet.MATRICULA = enrolment;
    sheet.NOME_ALUNO = name;
    return sheet;
}

int SheetData::idleIntervalMs(int Tempo_Serie) {
    return static_cast<int>(std::clamp<qint64>(qint64{1000} * Tempo_Serie, 0, INT_MAX));
}

void SheetData::readExerciseRow(const DataSet& row) {
    DATA_TREINO = QLocale().toString(row.fieldDateTime(QStringLiteral("DATA")).date(),
                                     QStringLiteral("dd / MMMM / yyyy"));
    DATA_REAVALIACAO_TEXTO = row.fieldDateTime(QStringLiteral("DATA_REAVALIACAO"))
                                 .toString(QStringLiteral("dd/MM/yyyy"));
    DIAS_TREINO = weekdaysOf(row);
}
