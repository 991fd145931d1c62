#include "calc/calc_run.h"

#include "calc/crossroads_check.h"
#include "calc/factor_speeds.h"
#include "calc/pivot.h"
#include "calc/sight_check.h"
#include "calc/sight_fast.h"

#include <algorithm>
#include <memory>

namespace kestrova {

int CalcProgressMaximum(const tRoadModel& model) {
    return model.Greens.Count() + 2 * model.CrossRoads.Count() + 15 * model.Plan.Count();
}

void RunCalculation(tRoadModel& model, const tProgress& progress, tCalcEngine engine, const tCalcHooks& hooks,
                    int threads) {
    TMPlan& plan = model.Plan;
    const int n = plan.Count();
    const int maximum = CalcProgressMaximum(model);
    progress.Max(maximum);
    progress.Pos(0);
    progress.Idle();
    tProgressCounter counter(progress);
    const tProfileStep step = [&counter](int i) { counter.Step(i); };
    auto each = [&](const std::function<void(int)>& hook) {
        for (int i = 0; i < n; ++i) {
            if (hook) hook(i);
            counter.Step(i);
        }
    };

    if (model.Greens.Count() > 0) {
        progress.Line(QStringLiteral("CalcLog.ParseVegetablesBuildings"));
        PrepareGreens(plan, model.Greens, counter);
    } else {
        progress.Line(QStringLiteral("CalcLog.NoVegetablesBuildings"));
    }

    progress.Line(QStringLiteral("CalcLog.CalcFreeVelocity"));
    CalcFreeVelocity(plan, step);
    progress.Line(QStringLiteral("CalcLog.CalcHCurves"));
    CalcHCurves(plan, step);
    progress.Line(QStringLiteral("CalcLog.CalcLongiTilt"));
    CalcLongiTilt(plan, step);
    progress.Line(QStringLiteral("CalcLog.CalcSlickness"));
    CalcSlickness(plan, step);
    progress.Line(QStringLiteral("CalcLog.CalcBridgeClearance"));
    CalcBridgeClearance(plan, step);
    progress.Line(QStringLiteral("CalcLog.CalcTrafficIntensity"));
    CalcTrafficIntensity(plan, step);
    progress.Line(QStringLiteral("CalcLog.CalcLocalitySocActivity"));
    CalcLocalitySocActivity(plan, step);

    progress.Line(QStringLiteral("CalcLog.CalcForwardInviisiblePoints"));
    InitSightData(plan, counter);
    std::unique_ptr<tFastSight> fast;
    tEarlyCrossRoadsPtr early;
    if (engine == tCalcEngine::Reference) {
        ForwardScan(plan, counter);
        ForwardLookSpeeds(plan);
        progress.Line(QStringLiteral("CalcLog.CalcBackwardInvisiblePoints"));
        ReverseScan(plan, counter);
        ReverseLookSpeeds(plan);
    } else {
        // The sections do not change after the vegetation preparation, so
        // their geometry is taken once here.
        fast = std::make_unique<tFastSight>(MakeFastSight(plan, threads));
        // The crossroads need nothing the scans compute: their helpers start
        // now on half the threads, the scans run on the others (more threads
        // than cores would only make the scans' in-order apply wait).
        if (model.CrossRoads.Count() > 0 && fast->Threads > 1) {
            const int helpers = std::min(fast->Threads / 2, model.CrossRoads.Count());
            early = StartCrossRoads(model, *fast, helpers);
            fast->Threads -= helpers;
        }
        FastForwardScan(plan, *fast, counter);
        FastForwardLookSpeeds(plan, *fast);
        progress.Line(QStringLiteral("CalcLog.CalcBackwardInvisiblePoints"));
        FastReverseScan(plan, *fast, counter);
        FastReverseLookSpeeds(plan, *fast);
    }

    for (tPlanProfile& p : plan.Profiles) {
        const double free = FreeCarSpeed(p.RoadCathegory);
        p.CrossV[DirFwd] = free;
        p.CrossV[DirRev] = free;
    }

    const int c = model.CrossRoads.Count();
    if (c > 0) {
        progress.Line(QStringLiteral("CalcLog.CalcCrossRoadsVisibility"));
        if (early) {
            FinishCrossRoads(model, *fast, *early, counter);
            early.reset();
        } else if (fast) {
            FastCalcCrossRoads(model, *fast, counter);
        } else {
            CalcCrossRoads(model, counter);
        }
        if (hooks.CrossRoadsList) hooks.CrossRoadsList();
        counter.Advance(c);  // one step per list entry
    } else {
        progress.Line(QStringLiteral("CalcLog.NoCrossRoadsList"));
    }

    progress.Line(QStringLiteral("CalcLog.FillSourceDataGrid"));
    each(hooks.SourceRow);

    progress.Line(QStringLiteral("CalcLog.FillCalcSpeedsGrid"));
    for (int i = 0; i < n; ++i) {
        CalcMinSpeed(plan.Profiles[i]);
        if (hooks.SpeedsRow) hooks.SpeedsRow(i);
        counter.Step(i);
    }

    progress.Line(QStringLiteral("CalcLog.CalculateNonComplianceRate"));
    CalcNonComplianceRates(plan, [&](int i) {
        if (hooks.RateCells) hooks.RateCells(i);
        counter.Step(i);
    });
    each(hooks.ProfilesListRow);

    progress.Line(QStringLiteral("CalcLog.CalculatePivotData"));
    BuildPivot(plan, model.Pivot, step);
    if (hooks.PivotGrid) hooks.PivotGrid();

    if (hooks.CauseTexts) hooks.CauseTexts();
    progress.Pos(maximum);
    progress.Line(tMessage(kCalcLogRule));
    progress.Line(QStringLiteral("CalcLog.AllCalculationsComplete"));
}

}  // namespace kestrova
