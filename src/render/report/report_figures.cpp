// The figures and not-safe boundaries the report shows, taken from a calculated road.
#include "render/report/report_writer.h"

#include "core/calc/pivot.h"
#include "core/model/road_text.h"

#include <algorithm>
#include <cmath>

namespace kestrova {

using report::OneLine;

tReportFigures ReportFigures(const tRoadModel& model) {
    tReportFigures f;
    const TMPlan& plan = model.Plan;
    f.Profiles = plan.Count();
    if (f.Profiles > 0) {
        f.FirstKm = plan.Profiles.front().Position;
        f.LastKm = plan.Profiles.back().Position;
        f.Length = f.LastKm - f.FirstKm;
    }
    bool seen[5] = {};
    for (int i = 0; i < f.Profiles; ++i) {
        const tPlanProfile& p = plan.Profiles[size_t(i)];
        if (p.RoadCathegory < 5 && !seen[p.RoadCathegory]) {
            seen[p.RoadCathegory] = true;
            f.Categories << CategoryName(p.RoadCathegory);
        }
        if (i + 1 < f.Profiles) {
            const double len = plan.Profiles[size_t(i) + 1].Position - p.Position;
            for (int d = 0; d < 2; ++d)
                if (p.Cause[d] < 10) f.CauseLength[d][p.Cause[d]] += len;
        }
    }
    f.Objects = model.Greens.Count();
    f.CrossRoads = model.CrossRoads.Count();
    f.Segments = model.Pivot.Count();
    f.Boundaries = std::max(0, f.Segments - 1);
    for (const tPivotRow& row : model.Pivot.Rows) {
        if (row.ResumeFwd == VerdictNotSafe) ++f.NotSafe[0];
        if (row.ResumeRev == VerdictNotSafe) ++f.NotSafe[1];
    }
    for (const tCrossRoadRec& road : model.CrossRoads.Roads) {
        if (road.Skip)
            f.Skipped << road.Name;
        else if (road.NotVisible[0] || road.NotVisible[1])
            f.NotVisible << road.Name;
    }
    return f;
}

std::vector<tNotSafeBoundary> NotSafeBoundaries(const tRoadModel& model, const tGridSource& source) {
    std::vector<tNotSafeBoundary> out;
    const tPivotData& pivot = model.Pivot;
    for (int i = 0; i < pivot.Count(); ++i) {
        const tPivotRow& row = pivot.Rows[size_t(i)];
        const int r = i + 1;  // grid row
        if (row.ResumeFwd == VerdictNotSafe && i > 0) {
            tNotSafeBoundary b;
            b.Position = row.KmBeg;
            b.Direction = 0;
            b.PivotRow = i;
            b.Profile = row.FirstIndex;
            b.KmPlus = CellText(tGridId::PivotData, source, r, 1);
            b.SpeedBefore = CellText(tGridId::PivotData, source, r - 1, 4);
            b.SpeedAfter = CellText(tGridId::PivotData, source, r, 4);
            b.FailRate = CellText(tGridId::PivotData, source, r, 6);
            b.BoundRate = CellText(tGridId::PivotData, source, r, 7);
            b.Cause = OneLine(CellText(tGridId::PivotData, source, r, 5));
            out.push_back(b);
        }
        if (row.ResumeRev == VerdictNotSafe && i + 1 < pivot.Count()) {
            tNotSafeBoundary b;
            b.Position = row.KmEnd;
            b.Direction = 1;
            b.PivotRow = i;
            b.Profile = row.LastIndex;
            b.KmPlus = CellText(tGridId::PivotData, source, r, 2);
            b.SpeedBefore = CellText(tGridId::PivotData, source, r + 1, 9);
            b.SpeedAfter = CellText(tGridId::PivotData, source, r, 9);
            b.FailRate = CellText(tGridId::PivotData, source, r, 11);
            b.BoundRate = CellText(tGridId::PivotData, source, r, 12);
            b.Cause = OneLine(CellText(tGridId::PivotData, source, r, 10));
            out.push_back(b);
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const tNotSafeBoundary& a, const tNotSafeBoundary& b) {
        if (a.Position != b.Position) return a.Position < b.Position;
        return a.Direction < b.Direction;
    });
    return out;
}

int DiagramPageCount(const TMPlan& plan, double metresPerPage) {
    if (plan.Count() == 0 || !(metresPerPage > 0)) return 0;
    const double start = std::floor(plan.Profiles.front().Position / metresPerPage) * metresPerPage;
    const double length = plan.Profiles.back().Position - start;
    return std::max(1, int(std::ceil(length / metresPerPage - 1e-9)));
}

}  // namespace kestrova
