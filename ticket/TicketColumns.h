#pragma once

// A repetition count cut to a length, its first or its last characters, at a column.
struct RepetitionsCut {
    int column;
    bool keepLast;
    int length;
};

// Where the ticket's items go on one kind of printer, and the few details in which the two kinds
// differ. Figures are right-aligned to a width (padLeft: one blank more than the width).
struct TicketColumns {
    int left; // names, titles and text lines
    int code; // a machine's code
    int aerobicFigureWidth;
    // The aerobic exercise's name prints only when IMPRESSAOREDUZIDA is "Não", not merely not
    // "Sim".
    bool aerobicNameOnlyWhenNotReduced;
    // A strength row in full.
    int series;
    int repetitions;
    int weight;
    int adjustment;
    int rest;
    int restWidthOfA;
    int restWidthOfBToE;
    // A strength row reduced.
    int shortNameWidth;
    int reducedSeries;
    RepetitionsCut reducedRepetitionsOfA;
    RepetitionsCut reducedRepetitionsOfBToE;
    int reducedWeight;
    int reducedAdjustment;
    const char* blankLineAfterStrengthOf; // the workouts whose strength rows end in a blank line
    int stretchingTitle;
};

// The matrix driver counts columns from the paper's edge; its masks "####0" and "#####0" give
// the widths 4 and 5.
inline constexpr TicketColumns matrixColumns{
    .left = 0,
    .code = 3,
    .aerobicFigureWidth = 4,
    .aerobicNameOnlyWhenNotReduced = false,
    .series = 7,
    .repetitions = 15,
    .weight = 25,
    .adjustment = 28,
    .rest = 31,
    .restWidthOfA = 4,
    .restWidthOfBToE = 5,
    .shortNameWidth = 15,
    .reducedSeries = 14,
    .reducedRepetitionsOfA = {.column = 21, .keepLast = true, .length = 8},
    .reducedRepetitionsOfBToE = {.column = 19, .keepLast = false, .length = 10},
    .reducedWeight = 26,
    .reducedAdjustment = 28,
    .blankLineAfterStrengthOf = "AB",
    .stretchingTitle = 15,
};

// The text printing library counts columns from its margin, so the ticket starts at column 1.
inline constexpr TicketColumns libraryColumns{
    .left = 1,
    .code = 4,
    .aerobicFigureWidth = 5,
    .aerobicNameOnlyWhenNotReduced = true,
    .series = 8,
    .repetitions = 16,
    .weight = 26,
    .adjustment = 31,
    .rest = 35,
    .restWidthOfA = 5,
    .restWidthOfBToE = 5,
    .shortNameWidth = 14,
    .reducedSeries = 16,
    .reducedRepetitionsOfA = {.column = 22, .keepLast = true, .length = 8},
    .reducedRepetitionsOfBToE = {.column = 22, .keepLast = true, .length = 8},
    .reducedWeight = 32,
    .reducedAdjustment = 37,
    .blankLineAfterStrengthOf = "ABCDE",
    .stretchingTitle = 16,
};
