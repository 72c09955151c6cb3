#pragma once

#include "Schema.h"

#include <QString>

#include <stdexcept>

class DataSet;

// Reading whole numbers, and the workouts' letters and weekdays.

// A text read as a whole number that is not one ("12 3", "", "A"): the terminal's conversion
// error, which reaches the error log.
class ConversionError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The whole number a text holds: an optional sign and digits, nothing else (no blanks).
// Throws ConversionError otherwise.
qlonglong textToInteger(const QString& text);

// The workout a member picks by its number 1 to 5: "A" to "E"; empty for any other number.
QString workoutLetter(int number);

// The flags of a workout row's weekday columns.
WeekdayFlags weekdaysOf(const DataSet& row);
