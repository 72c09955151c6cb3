#include "SheetData.h"

#include <algorithm>
#include <climits>

int SheetData::idleIntervalMs(int Tempo_Serie) {
    return static_cast<int>(std::clamp<qint64>(qint64{1000} * Tempo_Serie, 0, INT_MAX));
}
