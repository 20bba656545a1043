#include "fire/spark_bursts.h"

#include "seams/clock.h"
#include "fire/fire_engine.h"
#include "fire/random_source.h"

namespace {
// A burst starts in one idle frame in this many, on average.
constexpr int32_t startChance = 2000;
constexpr int32_t startDraw = 5;
// Fixed to the 1024 x 768 grid of the saver: the first four cells of a frame stay in the upper
// rows 0 ... 717, the other eight reach down to the seed row 766.
constexpr int32_t columns = 1024;
constexpr int32_t upperRows = 718;
constexpr int32_t allRows = 767;
constexpr int hotCellsPerFrame = 4;
constexpr int dimCellsPerFrame = 8;

// Draws value (when the kind has one), row and column, in that order, and writes the cell.
void writeCell(FireEngine& engine, SparkKind kind, int32_t valueRange, int32_t valueBase,
               int32_t rows) {
    const int32_t value = kind == SparkKind::Hot ? drawMod(valueRange) + valueBase : 0;
    const int32_t row = drawMod(rows);
    const int32_t column = drawMod(columns);
    engine.setCell(column, row, value);
}
} // namespace

void SparkBursts::applySparks(FireEngine& engine, Clock& clock) {
    if (sparkState == SparkState::Idle) {
        if (drawMod(startChance) == startDraw) {
            sparkKind = drawMod(2) == 0 ? SparkKind::Hot : SparkKind::Cold;
            sparkStart = clock.tickCount();
            sparkState = SparkState::Active;
        }
        return;
    }
    if (ticksSince(clock.tickCount(), sparkStart) >= burstMilliseconds) {
        sparkState = SparkState::Idle;
        return;
    }
    // Hot values first, then dim ones, so a dim cell landing on a hot one of the same frame wins.
    for (int i = 0; i < hotCellsPerFrame; ++i)
        writeCell(engine, sparkKind, 384, 256, upperRows);
    for (int i = 0; i < dimCellsPerFrame; ++i)
        writeCell(engine, sparkKind, 128, 0, allRows);
}
