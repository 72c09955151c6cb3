#include "Workout.h"

Workout Workout::ofMember(const QString& enrolment, const QString& name) {
    Workout workout;
    workout.sheet.MATRICULA = enrolment;
    workout.sheet.NOME_ALUNO = name;
    return workout;
}

bool Workout::isWorkoutA() const {
    return sheet.LETRA_TREINO == QStringLiteral("A");
}
