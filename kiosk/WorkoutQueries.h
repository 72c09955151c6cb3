#pragma once

#include "Database.h"
#include "Workout.h"

#include <QString>

#include <array>

// A member's latest prescription, one query a part: the aerobic one (workout A only), the
// strength exercises of the workout, the stretching positions. Their rows are read at once into
// one Workout, which the ticket and the series window are given.
class WorkoutQueries {
public:
    explicit WorkoutQueries(Connection& training);

    // Reads the latest prescription of the sheet's member and workout letter: the exercise rows,
    // for workout A also the aerobic rows, and the stretching row of workout A or of another
    // workout with exercises. With dates, the sheet also gets the dates of the first exercise row.
    Workout fetch(SheetData sheet, bool withDates);
    void close();

    QueryDataSet aerobic;
    QueryDataSet strength;
    QueryDataSet stretching;

private:
    std::array<QueryDataSet*, 3> all();
};
