// The calculation run over a loaded road model: vegetation/buildings
// preparation, the factor stages, the forward and backward invisible points,
// crossroads visibility, minima, causes, non-compliance rates and the pivot
// table, each stage announced by one calculation log line. Widget-free: the
// window and the batch program fill their grids through the hooks.
#pragma once

#include "core/model/progress.h"
#include "core/model/road_model.h"

#include <QString>
#include <functional>

namespace kestrova {

enum class tCalcEngine {
    Fast,       // the sight stages on several threads with cached section geometry
    Reference,  // every stage as the plain routines run it; the oracle of Fast
};

// The line logged between the last stage and the completion line.
inline const QString kCalcLogRule = QString(45, QLatin1Char('_'));

// Grid filling steps of the run. Every hook may be empty; the run advances the
// progress for these steps whether or not they are set.
struct tCalcHooks {
    std::function<void()> CrossRoadsList;      // after the crossroads stage (C > 0)
    std::function<void(int profile)> SourceRow;    // source data grid row of a profile
    std::function<void(int profile)> SpeedsRow;    // speeds grid row, after MinV/Cause of the profile
    std::function<void(int profile)> RateCells;    // the two rate cells, after Koef of the profile
    std::function<void(int profile)> ProfilesListRow;
    std::function<void()> PivotGrid;           // after the pivot table is built
    std::function<void()> CauseTexts;          // before the closing log lines
};

// Progress maximum of a run over the model: G + 2C + 15N.
int CalcProgressMaximum(const tRoadModel& model);

// Runs the whole calculation once over the model as loaded by the importers.
// `threads` is the fast engine's thread count (0: the machine's hardware threads).
void RunCalculation(tRoadModel& model, const tProgress& progress, tCalcEngine engine = tCalcEngine::Fast,
                    const tCalcHooks& hooks = {}, int threads = 0);

}  // namespace kestrova
