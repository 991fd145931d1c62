#include "core/calc/calc_run.h"

#include "core/calc/crossroads_check.h"
#include "core/calc/factor_speeds.h"
#include "core/calc/pivot.h"
#include "core/calc/sight_check.h"
#include "core/calc/sight_fast.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace kestrova {

int CalcProgressMaximum(const tRoadModel& model) {
    return model.Greens.Count() + 2 * model.CrossRoads.Count() + 15 * model.Plan.Count();
}

namespace {

// The fast engine's state between the sight stages and the crossroads stage.
struct tFastRun {
    std::unique_ptr<tFastSight> Fast;
    tEarlyCrossRoadsPtr Early;
};

// Room for the segments the vegetation/buildings preparation adds (three per
// object on every profile it has a point on), so every chain grows once and
// to its size instead of doubling.
void ReserveGreenSegments(TMPlan& plan, const tGreens& greens) {
    const int n = plan.Count();
    std::vector<int32_t> added(size_t(n), 0);
    std::vector<int32_t> lastObject(size_t(n), -1);
    for (int o = 0; o < greens.Count(); ++o) {
        const tGreenRec& obj = greens.Objects[o];
        const int first = std::max(obj.FirstProfile, 0);
        const int last = std::min(obj.LastProfile, n - 1);
        for (const tRoadPoint& pt : obj.Points) {
            const int j = pt.ProfileIndex;
            if (j < first || j > last || lastObject[size_t(j)] == o) continue;
            lastObject[size_t(j)] = o;
            added[size_t(j)] += 3;
        }
    }
    for (int j = 0; j < n; ++j) {
        auto& segs = plan.Profiles[j].Segments;
        if (added[size_t(j)] > 0) segs.reserve(segs.size() + size_t(added[size_t(j)]));
    }
}

// Vegetation/buildings preparation and the factor stages.
void FactorStages(tRoadModel& model, const tProgress& progress, tProgressCounter& counter, const tProfileStep& step) {
    TMPlan& plan = model.Plan;
    if (model.Greens.Count() > 0) {
        progress.Line(QStringLiteral("CalcLog.ParseVegetablesBuildings"));
        ReserveGreenSegments(plan, model.Greens);
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
}

// The forward and backward invisible points with their look-speed passes: the
// reference routines, or the fast ones (which start the crossroads early when
// there are threads to spare).
void SightStages(tRoadModel& model, const tProgress& progress, tProgressCounter& counter, tCalcEngine engine,
                 int threads, tFastRun& run) {
    TMPlan& plan = model.Plan;
    progress.Line(QStringLiteral("CalcLog.CalcForwardInviisiblePoints"));
    InitSightData(plan, counter);
    if (engine == tCalcEngine::Reference) {
        ForwardScan(plan, counter);
        ForwardLookSpeeds(plan);
        progress.Line(QStringLiteral("CalcLog.CalcBackwardInvisiblePoints"));
        ReverseScan(plan, counter);
        ReverseLookSpeeds(plan);
    } else {
        // The sections do not change after the vegetation preparation, so
        // their geometry is taken once here.
        run.Fast = std::make_unique<tFastSight>(MakeFastSight(plan, threads));
        // The crossroads need nothing the scans compute: their helpers start
        // now on half the threads, the scans run on the others (more threads
        // than cores would only make the scans' in-order apply wait).
        if (model.CrossRoads.Count() > 0 && run.Fast->Threads > 1) {
            const int helpers = std::min(run.Fast->Threads / 2, model.CrossRoads.Count());
            run.Early = StartCrossRoads(model, *run.Fast, helpers);
            run.Fast->Threads -= helpers;
        }
        FastForwardScan(plan, *run.Fast, counter);
        FastForwardLookSpeeds(plan, *run.Fast);
        progress.Line(QStringLiteral("CalcLog.CalcBackwardInvisiblePoints"));
        FastReverseScan(plan, *run.Fast, counter);
        FastReverseLookSpeeds(plan, *run.Fast);
    }
}

// CrossV from the free car speed, then the crossroads stage by the engine that
// ran the sight stages.
void CrossRoadsStage(tRoadModel& model, const tProgress& progress, tProgressCounter& counter, const tCalcHooks& hooks,
                     tFastRun& run) {
    TMPlan& plan = model.Plan;
    for (tPlanProfile& p : plan.Profiles) {
        const double free = FreeCarSpeed(p.RoadCathegory);
        p.CrossV[DirFwd] = free;
        p.CrossV[DirRev] = free;
    }

    const int c = model.CrossRoads.Count();
    if (c > 0) {
        progress.Line(QStringLiteral("CalcLog.CalcCrossRoadsVisibility"));
        if (run.Early) {
            FinishCrossRoads(model, *run.Fast, *run.Early, counter);
            run.Early.reset();
        } else if (run.Fast) {
            FastCalcCrossRoads(model, *run.Fast, counter);
        } else {
            CalcCrossRoads(model, counter);
        }
        if (hooks.CrossRoadsList) hooks.CrossRoadsList();
        counter.Advance(c);  // one step per list entry
    } else {
        progress.Line(QStringLiteral("CalcLog.NoCrossRoadsList"));
    }
}

}  // namespace

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

    FactorStages(model, progress, counter, step);
    tFastRun run;
    SightStages(model, progress, counter, engine, threads, run);
    CrossRoadsStage(model, progress, counter, hooks, run);
    // The cached geometry is not read after the crossroads.
    run.Early.reset();
    run.Fast.reset();

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
