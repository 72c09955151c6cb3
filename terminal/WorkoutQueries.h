#pragma once

#include "Database.h"

#include <QString>

#include <array>

// A member's latest prescription, one query a part: the aerobic one (workout A only), the
// strength exercises of each workout A to E, the stretching positions. The queries stay open
// for the ticket and the series window that show them.
class WorkoutQueries {
public:
    explicit WorkoutQueries(Connection& training);

    // The exercise query of a workout digit "1" to "5"; null for any other text.
    QueryDataSet* exerciseQueryOf(const QString& digit);

    // Opens a member's latest prescription of a workout letter into exercises, one of the
    // exercise queries: for workout A also the aerobic and the stretching queries, for the others
    // the stretching when the workout has exercises.
    void fetch(QueryDataSet& exercises, const QString& enrolment, const QString& letter);
    void close();

    QueryDataSet QRYAEROBICA;
    QueryDataSet QRYEXERCICIOS;
    QueryDataSet QRYEXERCICIOS1;
    QueryDataSet QRYEXERCICIOS2;
    QueryDataSet QRYEXERCICIOS3;
    QueryDataSet QRYEXERCICIOS4;
    QueryDataSet QRYALONGAMENTO;

private:
    std::array<QueryDataSet*, 7> all();
};
