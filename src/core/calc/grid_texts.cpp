#include "calc/grid_texts.h"

#include "calc/factor_speeds.h"
#include "calc/geometry.h"
#include "calc/pivot.h"
#include "model/road_text.h"

namespace kestrova {

namespace {

const char* const kSourceKeys[] = {
    "gSourceData.csdRecordNumber",  "gSourceData.csdPosition",       "gSourceData.csdRoadCathegory",
    "gSourceData.csdTrafficIntensity", "gSourceData.csdCars",        "gSourceData.csdTrucks",
    "gSourceData.csdBuses",         "gSourceData.csdVehicleTrains",  "gSourceData.csdCurveRadius",
    "gSourceData.csdLongitudinalTilt", "gSourceData.csdSlicknessValue", "gSourceData.csdClearance",
    "gSourceData.csdIsLocality",    "gSourceData.csdIsSocialActivity"};

const char* const kDraftKeys[] = {
    "gDraftV.cgvProfileNumb", "gDraftV.cgvKmPlus",    "gDraftV.cgvCathegory",  "gDraftV.cgvFreeV",
    "gDraftV.cgvCurveV",      "gDraftV.cgvTiltVF",    "gDraftV.cgvTiltVR",     "gDraftV.cgvSlickV",
    "gDraftV.cgvBridgeV",     "gDraftV.cgvIntensityV", "gDraftV.cgvLocalityV", "gDraftV.cgvSocialV",
    "gDraftV.cgvCrossVF",     "gDraftV.cgvLookVF",    "gDraftV.cgvCrossVR",    "gDraftV.cgvLookVR",
    "gDraftV.cgvMinVF",       "gDraftV.cgvCauseF",    "gDraftV.cgvKoefF",      "gDraftV.cgvMinVR",
    "gDraftV.cgvCauseR",      "gDraftV.cgvKoefR"};

const char* const kPivotKeys[] = {
    "gPivotData.Numb",        "gPivotData.KmBeg",        "gPivotData.KmEnd",       "gPivotData.RCath",
    "gPivotData.VMinFwd",     "gPivotData.CauseFwd",     "gPivotData.FailRateFwd", "gPivotData.BoundRateFwd",
    "gPivotData.ResumeFwd",   "gPivotData.VMinRev",      "gPivotData.CauseRev",    "gPivotData.FailRateRev",
    "gPivotData.BoundRateRev", "gPivotData.ResumeRev"};

const char* const kProfileListKeys[] = {"gProfilesList.PNumber", "gProfilesList.KmPlus", "", "", "", ""};

const char* const kCauseKeys[kCauseCount] = {"",
                                             "SpeedLimitCause.Value.CurveRadius",
                                             "SpeedLimitCause.Value.LongitudinalTilt",
                                             "SpeedLimitCause.Value.Slickness",
                                             "SpeedLimitCause.Value.BridgeClearance",
                                             "SpeedLimitCause.Value.TrafficIntensity",
                                             "SpeedLimitCause.Value.IsLocality",
                                             "SpeedLimitCause.Value.IsSocialActivity",
                                             "SpeedLimitCause.Value.CrossRoad",
                                             "SpeedLimitCause.Value.InvisiblePoints"};

// Factor column of each cause code, forward and reverse.
constexpr int kCauseColumns[2][kCauseCount] = {{3, 4, 5, 7, 8, 9, 10, 11, 12, 13},
                                               {3, 4, 6, 7, 8, 9, 10, 11, 14, 15}};

int GridIndex(tGridId grid) { return static_cast<int>(grid); }

QString Star(bool on) { return on ? QStringLiteral("*") : QString(); }

QString CauseText(const tGridSource& s, int cause) {
    if (!s.Language || cause <= 0 || cause >= kCauseCount) return {};
    return s.Language->Causes[cause];
}

QString VerdictText(const tGridSource& s, int32_t verdict) {
    if (!s.Language) return {};
    if (verdict == VerdictSafe) return s.Language->Safe;
    if (verdict == VerdictNotSafe) return s.Language->NotSafe;
    return {};
}

QString SourceCell(const tGridSource& s, const tPlanProfile& p, int column) {
    const QString& sep = s.DecimalSeparator;
    switch (column) {
        case 0: return QString::number(p.RecordNumber);
        case 1: return FormatKmPlus(true, p.Position);
        case 2: return CategoryName(p.RoadCathegory);
        case 3: return QString::number(p.TrafficIntensity);
        case 4: return FormatRounded(3, p.Cars, sep);
        case 5: return FormatRounded(3, p.Trucks, sep);
        case 6: return FormatRounded(3, p.Buses, sep);
        case 7: return FormatRounded(3, p.VehicleTrains, sep);
        case 8: return p.CurveRadius > 0.00001 ? FormatRounded(1, p.CurveRadius, sep) : QString();
        case 9: return FormatRounded(3, p.LongitudinalTilt, sep);
        case 10: return FormatRounded(2, p.SlicknessValue, sep);
        case 11: return p.Clearance > 0.00001 ? FormatRounded(1, p.Clearance, sep) : QString();
        case 12: return p.IsLocality ? QStringLiteral("+") : QString();
        case 13: return p.IsSocialActivity ? QStringLiteral("+") : QString();
        default: return {};
    }
}

QString DraftCell(const tGridSource& s, const tPlanProfile& p, int column) {
    const QString& sep = s.DecimalSeparator;
    auto speed = [&](double v) { return FormatShortest(v, sep); };
    auto rate = [&](double k) { return HasRate(k) ? FormatShortest(k, sep) : QString(); };
    switch (column) {
        case 0: return QString::number(p.RecordNumber);
        case 1: return FormatKmPlus(true, p.Position);
        case 2: return CategoryName(p.RoadCathegory);
        case 3: return speed(p.FreeV);
        case 4: return speed(p.CurveV);
        case 5: return speed(p.TiltV[DirFwd]);
        case 6: return speed(p.TiltV[DirRev]);
        case 7: return speed(p.SlickV);
        case 8: return speed(p.BridgeV);
        case 9: return speed(p.IntensityV);
        case 10: return speed(p.LocalityV);
        case 11: return speed(p.SocialV);
        case 12: return speed(p.CrossV[DirFwd]);
        case 13: return speed(p.LookV[DirFwd]);
        case 14: return speed(p.CrossV[DirRev]);
        case 15: return speed(p.LookV[DirRev]);
        case 16: return speed(p.MinV[DirFwd]);
        case 17: return CauseText(s, p.Cause[DirFwd]);
        case 18: return rate(p.Koef[DirFwd]);
        case 19: return speed(p.MinV[DirRev]);
        case 20: return CauseText(s, p.Cause[DirRev]);
        case 21: return rate(p.Koef[DirRev]);
        default: return {};
    }
}

QString PivotCell(const tGridSource& s, int index, int column) {
    const tPivotRow& r = s.Pivot->Rows[size_t(index)];
    const QString& sep = s.DecimalSeparator;
    // No boundary behind the first segment going forward, nor behind the last in reverse.
    const bool fwd = index > 0;
    const bool rev = index + 1 < s.Pivot->Count();
    switch (column) {
        case 0: return QString::number(index + 1);
        case 1: return FormatKmPlus(true, r.KmBeg);
        case 2: return FormatKmPlus(true, r.KmEnd);
        case 3: return CategoryName(r.Cat);
        case 4: return FormatShortest(r.VMinFwd, sep);
        case 5: return CauseText(s, r.CauseFwd);
        case 6: return fwd ? FormatRounded(1, r.FailRateFwd, sep) : QString();
        case 7: return fwd ? FormatRounded(1, r.BoundRateFwd, sep) : QString();
        case 8: return fwd ? VerdictText(s, r.ResumeFwd) : QString();
        case 9: return FormatShortest(r.VMinRev, sep);
        case 10: return CauseText(s, r.CauseRev);
        case 11: return rev ? FormatRounded(1, r.FailRateRev, sep) : QString();
        case 12: return rev ? FormatRounded(1, r.BoundRateRev, sep) : QString();
        case 13: return rev ? VerdictText(s, r.ResumeRev) : QString();
        default: return {};
    }
}

QString ProfileListCell(const tPlanProfile& p, int column) {
    switch (column) {
        case 0: return QString::number(p.RecordNumber);
        case 1: return FormatKmPlus(true, p.Position);
        case 2: return Star(p.FwdHidden);
        case 3: return Star(p.HasFwdTrack[0] || p.HasFwdTrack[1]);
        case 4: return Star(p.RevHidden);
        case 5: return Star(p.HasRevTrack[0] || p.HasRevTrack[1]);
        default: return {};
    }
}

}  // namespace

int GridColumnCount(tGridId grid) {
    switch (grid) {
        case tGridId::SourceData: return 14;
        case tGridId::DraftV: return 22;
        case tGridId::PivotData: return 14;
        case tGridId::ProfilesList: return 6;
    }
    return 0;
}

int GridFixedColumns(tGridId grid) {
    switch (grid) {
        case tGridId::SourceData: return 3;
        case tGridId::DraftV: return 3;
        case tGridId::PivotData: return 4;
        case tGridId::ProfilesList: return 0;
    }
    return 0;
}

int GridRowCount(tGridId grid, const tGridSource& source) {
    if (grid == tGridId::PivotData) return 1 + (source.Pivot ? source.Pivot->Count() : 0);
    return 1 + (source.Plan ? source.Plan->Count() : 0);
}

QString HeaderKey(tGridId grid, int column) {
    if (column < 0 || column >= GridColumnCount(grid)) return {};
    switch (grid) {
        case tGridId::SourceData: return QString::fromLatin1(kSourceKeys[column]);
        case tGridId::DraftV: return QString::fromLatin1(kDraftKeys[column]);
        case tGridId::PivotData: return QString::fromLatin1(kPivotKeys[column]);
        case tGridId::ProfilesList: return QString::fromLatin1(kProfileListKeys[column]);
    }
    return {};
}

void FillHeaderTexts(tGridLanguage& language, const tSectionLookup& lookup) {
    for (tGridId grid : {tGridId::SourceData, tGridId::DraftV, tGridId::PivotData, tGridId::ProfilesList}) {
        std::vector<QString>& headers = language.Headers[GridIndex(grid)];
        headers.assign(size_t(GridColumnCount(grid)), QString());
        for (int c = 0; c < GridColumnCount(grid); ++c) {
            const QString key = HeaderKey(grid, c);
            if (!key.isEmpty() && lookup) headers[size_t(c)] = lookup(GridSection(), key);
        }
    }
}

void FillCauseTexts(tGridLanguage& language, const tSectionLookup& lookup) {
    language.Causes[0].clear();
    for (int code = 1; code < kCauseCount; ++code)
        language.Causes[code] = lookup ? lookup(GridSection(), CauseKey(code)) : QString();
    language.Safe = lookup ? lookup(GridSection(), QStringLiteral("gPivotData.Value.Safe")) : QString();
    language.NotSafe = lookup ? lookup(GridSection(), QStringLiteral("gPivotData.Value.NotSafe")) : QString();
}

QString CauseKey(int cause) {
    if (cause <= 0 || cause >= kCauseCount) return {};
    return QString::fromLatin1(kCauseKeys[cause]);
}

int CauseColumn(int cause, int direction) {
    if (cause < 0 || cause >= kCauseCount) return -1;
    return kCauseColumns[direction == DirRev ? 1 : 0][cause];
}

QString CellText(tGridId grid, const tGridSource& source, int row, int column) {
    if (row < 0 || column < 0 || column >= GridColumnCount(grid) || row >= GridRowCount(grid, source)) return {};
    if (row == 0) {
        if (!source.Language) return {};
        const std::vector<QString>& headers = source.Language->Headers[GridIndex(grid)];
        return size_t(column) < headers.size() ? headers[size_t(column)] : QString();
    }
    const int index = row - 1;
    switch (grid) {
        case tGridId::SourceData: return SourceCell(source, source.Plan->Profiles[size_t(index)], column);
        case tGridId::DraftV: return DraftCell(source, source.Plan->Profiles[size_t(index)], column);
        case tGridId::PivotData: return PivotCell(source, index, column);
        case tGridId::ProfilesList: return ProfileListCell(source.Plan->Profiles[size_t(index)], column);
    }
    return {};
}

tTextTable MaterialiseGrid(tGridId grid, const tGridSource& source) {
    tTextTable table;
    table.Rows = GridRowCount(grid, source);
    table.Columns = GridColumnCount(grid);
    table.Cells.reserve(size_t(table.Rows) * size_t(table.Columns));
    for (int r = 0; r < table.Rows; ++r)
        for (int c = 0; c < table.Columns; ++c) table.Cells.push_back(CellText(grid, source, r, c));
    return table;
}

tTextTableView GridView(tGridId grid, const tGridSource& source) {
    tTextTableView view;
    view.Rows = GridRowCount(grid, source);
    view.Columns = GridColumnCount(grid);
    view.Cell = [grid, source](int row, int column) { return CellText(grid, source, row, column); };
    return view;
}

tTextTableView TableView(const tTextTable& table) {
    tTextTableView view;
    view.Rows = table.Rows;
    view.Columns = table.Columns;
    view.Cell = [&table](int row, int column) { return table.At(row, column); };
    return view;
}

}  // namespace kestrova
