#pragma once

#include "Database.h"
#include "Workout.h"

#include <QString>

#include <array>

// A member's latest prescription, one query a part: the aerobic one (workout A only), the
// strength exercises of each workout A to E, the stretching positions. Their rows are read at
// once into one Workout, which the ticket and the series window are given.
class WorkoutQueries {
public:
    explicit WorkoutQueries(Connection& training);

    // The exercise query of a workout digit "1" to "5"; null for any other text.
    QueryDataSet* exerciseQueryOf(const QString& digit);

    // Reads the latest prescription of the sheet's member and workout letter through exercises,
    // one of the exercise queries: the exercise rows, for workout A also the aerobic rows, and the
    // stretching row of workout A or of another workout with exercises. With dates, the sheet
    // also gets the dates of the first exercise row.
    Workout fetch(QueryDataSet& exercises, SheetData sheet, bool withDates);
    void close();

    QueryDataSet aerobic;
    QueryDataSet strengthA;
    QueryDataSet strengthB;
    QueryDataSet strengthC;
    QueryDataSet strengthD;
    QueryDataSet strengthE;
    QueryDataSet stretching;

private:
    std::array<QueryDataSet*, 7> all();
};
