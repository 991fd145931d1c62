#include "core/calc/grid_texts.h"

#include "core/calc/factor_speeds.h"
#include "core/calc/geometry.h"
#include "core/calc/pivot.h"
#include "core/model/number_chars.h"
#include "core/model/road_text.h"

#include <array>
#include <cstdint>

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

// What one cell shows before it becomes text. CellText makes a QString of it,
// AppendCellUtf8 its UTF-8 bytes; the columns are described only here.
struct tCellValue {
    enum class tKind : uint8_t { Empty, Whole, KmPlus, Shortest, Rounded, Category, Latin1, Text };
    tKind Kind = tKind::Empty;
    int Digits = 0;
    int64_t Whole = 0;
    double Number = 0;
    const char* Latin1 = nullptr;
    const QString* Text = nullptr;  // a text of the grid language, which outlives the cell
};

tCellValue Whole(int64_t v) {
    tCellValue c;
    c.Kind = tCellValue::tKind::Whole;
    c.Whole = v;
    return c;
}

tCellValue KmPlus(double position) {
    tCellValue c;
    c.Kind = tCellValue::tKind::KmPlus;
    c.Number = position;
    return c;
}

tCellValue Shortest(double x) {
    tCellValue c;
    c.Kind = tCellValue::tKind::Shortest;
    c.Number = x;
    return c;
}

tCellValue Rounded(int digits, double x) {
    tCellValue c;
    c.Kind = tCellValue::tKind::Rounded;
    c.Digits = digits;
    c.Number = x;
    return c;
}

tCellValue Category(int index) {
    tCellValue c;
    c.Kind = tCellValue::tKind::Category;
    c.Whole = index;
    return c;
}

tCellValue Latin1(const char* text) {
    tCellValue c;
    c.Kind = tCellValue::tKind::Latin1;
    c.Latin1 = text;
    return c;
}

tCellValue Text(const QString& text) {
    tCellValue c;
    c.Kind = tCellValue::tKind::Text;
    c.Text = &text;
    return c;
}

tCellValue Star(bool on) { return on ? Latin1("*") : tCellValue(); }

tCellValue CauseText(const tGridSource& s, int cause) {
    if (!s.Language || cause <= 0 || cause >= kCauseCount) return {};
    return Text(s.Language->Causes[cause]);
}

tCellValue VerdictText(const tGridSource& s, int32_t verdict) {
    if (!s.Language) return {};
    if (verdict == VerdictSafe) return Text(s.Language->Safe);
    if (verdict == VerdictNotSafe) return Text(s.Language->NotSafe);
    return {};
}

tCellValue SourceCell(const tPlanProfile& p, int column) {
    switch (column) {
        case 0: return Whole(p.RecordNumber);
        case 1: return KmPlus(p.Position);
        case 2: return Category(p.RoadCathegory);
        case 3: return Whole(p.TrafficIntensity);
        case 4: return Rounded(3, p.Cars);
        case 5: return Rounded(3, p.Trucks);
        case 6: return Rounded(3, p.Buses);
        case 7: return Rounded(3, p.VehicleTrains);
        case 8: return p.CurveRadius > 0.00001 ? Rounded(1, p.CurveRadius) : tCellValue();
        case 9: return Rounded(3, p.LongitudinalTilt);
        case 10: return Rounded(2, p.SlicknessValue);
        case 11: return p.Clearance > 0.00001 ? Rounded(1, p.Clearance) : tCellValue();
        case 12: return p.IsLocality ? Latin1("+") : tCellValue();
        case 13: return p.IsSocialActivity ? Latin1("+") : tCellValue();
        default: return {};
    }
}

tCellValue DraftCell(const tGridSource& s, const tPlanProfile& p, int column) {
    auto rate = [](double k) { return HasRate(k) ? Shortest(k) : tCellValue(); };
    switch (column) {
        case 0: return Whole(p.RecordNumber);
        case 1: return KmPlus(p.Position);
        case 2: return Category(p.RoadCathegory);
        case 3: return Shortest(p.FreeV);
        case 4: return Shortest(p.CurveV);
        case 5: return Shortest(p.TiltV[DirFwd]);
        case 6: return Shortest(p.TiltV[DirRev]);
        case 7: return Shortest(p.SlickV);
        case 8: return Shortest(p.BridgeV);
        case 9: return Shortest(p.IntensityV);
        case 10: return Shortest(p.LocalityV);
        case 11: return Shortest(p.SocialV);
        case 12: return Shortest(p.CrossV[DirFwd]);
        case 13: return Shortest(p.LookV[DirFwd]);
        case 14: return Shortest(p.CrossV[DirRev]);
        case 15: return Shortest(p.LookV[DirRev]);
        case 16: return Shortest(p.MinV[DirFwd]);
        case 17: return CauseText(s, p.Cause[DirFwd]);
        case 18: return rate(p.Koef[DirFwd]);
        case 19: return Shortest(p.MinV[DirRev]);
        case 20: return CauseText(s, p.Cause[DirRev]);
        case 21: return rate(p.Koef[DirRev]);
        default: return {};
    }
}

tCellValue PivotCell(const tGridSource& s, int index, int column) {
    const tPivotRow& r = s.Pivot->Rows[size_t(index)];
    // No boundary behind the first segment going forward, nor behind the last in reverse.
    const bool fwd = index > 0;
    const bool rev = index + 1 < s.Pivot->Count();
    switch (column) {
        case 0: return Whole(index + 1);
        case 1: return KmPlus(r.KmBeg);
        case 2: return KmPlus(r.KmEnd);
        case 3: return Category(r.Cat);
        case 4: return Shortest(r.VMinFwd);
        case 5: return CauseText(s, r.CauseFwd);
        case 6: return fwd ? Rounded(1, r.FailRateFwd) : tCellValue();
        case 7: return fwd ? Rounded(1, r.BoundRateFwd) : tCellValue();
        case 8: return fwd ? VerdictText(s, r.ResumeFwd) : tCellValue();
        case 9: return Shortest(r.VMinRev);
        case 10: return CauseText(s, r.CauseRev);
        case 11: return rev ? Rounded(1, r.FailRateRev) : tCellValue();
        case 12: return rev ? Rounded(1, r.BoundRateRev) : tCellValue();
        case 13: return rev ? VerdictText(s, r.ResumeRev) : tCellValue();
        default: return {};
    }
}

tCellValue ProfileListCell(const tPlanProfile& p, int column) {
    switch (column) {
        case 0: return Whole(p.RecordNumber);
        case 1: return KmPlus(p.Position);
        case 2: return Star(p.FwdHidden);
        case 3: return Star(p.HasFwdTrack[0] || p.HasFwdTrack[1]);
        case 4: return Star(p.RevHidden);
        case 5: return Star(p.HasRevTrack[0] || p.HasRevTrack[1]);
        default: return {};
    }
}

// The value of a data cell (row 0 is the header); an empty value outside the grid.
tCellValue DataCell(tGridId grid, const tGridSource& source, int row, int column) {
    if (row < 1 || column < 0 || column >= GridColumnCount(grid) || row >= GridRowCount(grid, source)) return {};
    const int index = row - 1;
    switch (grid) {
        case tGridId::SourceData: return SourceCell(source.Plan->Profiles[size_t(index)], column);
        case tGridId::DraftV: return DraftCell(source, source.Plan->Profiles[size_t(index)], column);
        case tGridId::PivotData: return PivotCell(source, index, column);
        case tGridId::ProfilesList: return ProfileListCell(source.Plan->Profiles[size_t(index)], column);
    }
    return {};
}

const QString* HeaderText(tGridId grid, const tGridSource& source, int column) {
    if (!source.Language || column < 0) return nullptr;
    const std::vector<QString>& headers = source.Language->Headers[GridIndex(grid)];
    return size_t(column) < headers.size() ? &headers[size_t(column)] : nullptr;
}

QString ValueText(const tCellValue& v, const QString& separator) {
    switch (v.Kind) {
        case tCellValue::tKind::Empty: return {};
        case tCellValue::tKind::Whole: return QString::number(v.Whole);
        case tCellValue::tKind::KmPlus: return FormatKmPlus(true, v.Number);
        case tCellValue::tKind::Shortest: return FormatShortest(v.Number, separator);
        case tCellValue::tKind::Rounded: return FormatRounded(v.Digits, v.Number, separator);
        case tCellValue::tKind::Category: return CategoryName(int(v.Whole));
        case tCellValue::tKind::Latin1: return QString::fromLatin1(v.Latin1);
        case tCellValue::tKind::Text: return *v.Text;
    }
    return {};
}

bool HasSurrogate(const QString& text) {
    for (QChar c : text)
        if (c.isSurrogate()) return true;
    return false;
}

// Appends a number's characters with "." replaced by the separator.
void AppendNumber(const char* begin, const char* end, const QString& separator, QByteArray& out) {
    if (separator.size() == 1 && separator.front().unicode() == '.') {
        out.append(begin, end - begin);
        return;
    }
    const QByteArray sep = separator.size() == 1 && separator.front().unicode() < 0x80
                               ? QByteArray(1, char(separator.front().unicode()))
                               : separator.toUtf8();
    for (const char* p = begin; p < end; ++p)
        if (*p == '.') out += sep;
        else out += *p;
}

bool AppendValueUtf8(const tCellValue& v, const QString& separator, QByteArray& out) {
    char chars[kNumberCharsMax];
    switch (v.Kind) {
        case tCellValue::tKind::Empty: return true;
        case tCellValue::tKind::Whole: out.append(chars, WholeChars(v.Whole, chars) - chars); return true;
        case tCellValue::tKind::KmPlus: out.append(chars, KmPlusChars(true, v.Number, chars) - chars); return true;
        case tCellValue::tKind::Shortest: AppendNumber(chars, ShortestChars(v.Number, chars), separator, out); return true;
        case tCellValue::tKind::Rounded:
            AppendNumber(chars, RoundedChars(v.Digits, v.Number, chars), separator, out);
            return true;
        case tCellValue::tKind::Category: {
            static const std::array<QByteArray, kCategoryCount> kNames = [] {
                std::array<QByteArray, kCategoryCount> names;
                for (int i = 0; i < kCategoryCount; ++i) names[size_t(i)] = CategoryName(i).toUtf8();
                return names;
            }();
            if (v.Whole >= 0 && v.Whole < kCategoryCount) out += kNames[size_t(v.Whole)];
            return true;
        }
        case tCellValue::tKind::Latin1: out += v.Latin1; return true;
        case tCellValue::tKind::Text:
            if (HasSurrogate(*v.Text)) return false;
            out += v.Text->toUtf8();
            return true;
    }
    return true;
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
    if (row == 0) {
        const QString* header = column < GridColumnCount(grid) ? HeaderText(grid, source, column) : nullptr;
        return header ? *header : QString();
    }
    return ValueText(DataCell(grid, source, row, column), source.DecimalSeparator);
}

bool AppendCellUtf8(tGridId grid, const tGridSource& source, int row, int column, QByteArray& out) {
    if (row == 0) {
        const QString* header = column < GridColumnCount(grid) ? HeaderText(grid, source, column) : nullptr;
        return header ? AppendValueUtf8(Text(*header), source.DecimalSeparator, out) : true;
    }
    return AppendValueUtf8(DataCell(grid, source, row, column), source.DecimalSeparator, out);
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
    view.Utf8Cell = [grid, source](int row, int column, QByteArray& out) {
        return AppendCellUtf8(grid, source, row, column, out);
    };
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
