#include "SheetData.h"

#include "Database.h"

#include <QLocale>

SheetData SheetData::ofMember(const QString& enrolment, const QString& name) {
    SheetData sheet;
    sheet.MATRICULA = enrolment;
    sheet.NOME_ALUNO = name;
    return sheet;
}

void SheetData::readExerciseRow(const DataSet& row) {
    DATA_TREINO = QLocale().toString(row.fieldDateTime(QStringLiteral("DATA")).date(),
                                     QStringLiteral("dd / MMMM / yyyy"));
    DATA_REAVALIACAO_TEXTO = row.fieldDateTime(QStringLiteral("DATA_REAVALIACAO"))
                                 .toString(QStringLiteral("dd/MM/yyyy"));
    DIAS_TREINO = weekdaysOf(row);
}
