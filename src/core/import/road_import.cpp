#include "core/import/road_import.h"

#include "core/model/cell_parsing.h"
#include "core/import/source_reader.h"
#include "core/model/road_text.h"

#include <array>
#include <cmath>

namespace kestrova {

namespace {

enum tRoadField : int {
    fRecordNumber = 0,
    fPosition,
    fRoadCathegory,
    fTrafficIntensity,
    fCars,
    fTrucks,
    fBuses,
    fVehicleTrains,
    fCurveRadius,
    fLongitudinalTilt,
    fSlicknessValue,
    fClearance,
    fIsLocality,
    fIsSocialActivity,
    kFieldCount
};

const std::array<QString, kFieldCount> kFieldNames = {
    QStringLiteral("RecordNumber"),     QStringLiteral("Position"),       QStringLiteral("RoadCathegory"),
    QStringLiteral("TrafficIntensity"), QStringLiteral("Cars"),           QStringLiteral("Trucks"),
    QStringLiteral("Buses"),            QStringLiteral("VehicleTrains"),  QStringLiteral("CurveRadius"),
    QStringLiteral("LongitudinalTilt"), QStringLiteral("SlicknessValue"), QStringLiteral("Clearance"),
    QStringLiteral("IsLocality"),       QStringLiteral("IsSocialActivity"),
};

const std::array<QString, kFieldCount> kFieldReasons = {
    QStringLiteral("LoadData.RecordNumberConstraints"),    QStringLiteral("LoadData.KmPlusPositionConstraints"),
    QStringLiteral("LoadData.IncorrectIncorrectRoadCathegory"), QStringLiteral("LoadData.IncorrectTrafficIntensity"),
    QStringLiteral("LoadData.IncorrectCarsKoef"),          QStringLiteral("LoadData.IncorrectTrucksKoef"),
    QStringLiteral("LoadData.IncorrectBusesKoef"),         QStringLiteral("LoadData.IncorrectVehicleTrainsKoef"),
    QStringLiteral("LoadData.IncorrectHRadius"),           QStringLiteral("LoadData.IncorrectLongiTilt"),
    QStringLiteral("LoadData.IncorrectSlickness"),         QStringLiteral("LoadData.IncorrectBridgeClearance"),
    QStringLiteral("LoadData.IncorrectLocalitySign"),      QStringLiteral("LoadData.IncorrectSocialActivitySign"),
};

constexpr int kMaxRecordNumber = 200000;
constexpr int kKeyPointSlots = 241;
constexpr int kRequiredKeyPoints[] = {-1, 0, 109, 112, 116, 123, 127, 130};

int KeyPointSlot(int number) { return number <= 139 ? number + 1 : number - 200 + 141; }
int KeyPointOfSlot(int slot) { return slot <= 140 ? slot - 1 : slot - 141 + 200; }

// What a sheet column holds: a named field, or a key point's sub-column.
struct tColumnTarget {
    int Field = -1;     // tRoadField, or -1
    int Slot = -1;      // key-point slot, or -1
    int Sub = 0;        // 1 X, 2 Y, 3 H
};

struct tSegmentTemplate {
    int ASlot = 0, BSlot = 0;
    int APoint = 0, BPoint = 0;
    uint8_t Kind = 0;
};

bool IsRoadInteger(const QString& cell) {
    return ParseIntCell(cell, kFailedCell) != kFailedCell || ParseIntCell(cell, kFailedCellAlt) != kFailedCellAlt;
}

bool InRange(double v, double lo, double hi) { return v >= lo && v <= hi; }

}  // namespace

bool IsKeyPointNumber(int number) { return (number >= -1 && number <= 139) || (number >= 200 && number <= 299); }

uint8_t SegmentKind(int k) {
    if (k >= 109 && k <= 111) return 2;
    if (k >= 112 && k <= 116) return 1;
    if (k >= 117 && k <= 122) return 0;
    if (k >= 123 && k <= 126) return 1;
    if (k >= 127 && k <= 129) return 2;
    return 3;
}

namespace {

// The header row as read: the column of every named field and of every key
// point (0 where absent), and the last key point column.
struct tRoadHeader {
    std::array<int, kFieldCount> FieldCol{};
    std::array<int, kKeyPointSlots> KeyCol{};
    int LastKeyCol = 0;
};

// One header cell after the first key point column: a key point number, or an
// empty cell between the Y and H sub-columns. `state` 1 expects a number,
// 2 and 3 the two empty sub-columns. False with the failure set.
bool TakeKeyHeaderCell(tRoadHeader& header, int col, const QString& cell, const QString& key, int& state,
                       tImportFailure& fail) {
    if (state != 1) {
        fail.Key = QStringLiteral("LoadData.DtmYHheadersNotAllowed");
        fail.Set(QStringLiteral("%XLColNumber%"), ColumnLetters(col, false));
        fail.Set(QStringLiteral("%XLColValue%"), cell);
        return false;
    }
    const int number = ParseIntCell(key, kFailedCell);
    if (!IsKeyPointNumber(number)) {
        FailIncorrectHeader(fail, col, cell);
        return false;
    }
    int& keyCol = header.KeyCol[KeyPointSlot(number)];
    if (keyCol != 0) {
        fail.Key = QStringLiteral("LoadData.DuplicateDtmHeaders");
        fail.Set(QStringLiteral("%XLColNumber1%"), ColumnLetters(keyCol, false));
        fail.Set(QStringLiteral("%XLColNumber2%"), ColumnLetters(col, false));
        fail.Set(QStringLiteral("%XLColValue%"), key);
        return false;
    }
    keyCol = col;
    header.LastKeyCol = std::max(header.LastKeyCol, col);
    state = 2;
    return true;
}

// One header cell before the first key point column: a named field, or the
// first key point number (keyMode then set). False with the failure set.
bool TakeFieldHeaderCell(tRoadHeader& header, const std::array<QString, kFieldCount>& upperNames, int col,
                         const QString& cell, const QString& key, bool& keyMode, tImportFailure& fail) {
    int match = -1;
    for (int f = 0; f < kFieldCount && match < 0; ++f)
        if (key == upperNames[f]) match = f;
    if (match >= 0) {
        if (header.FieldCol[match] != 0) {
            FailDuplicateHeader(fail, header.FieldCol[match], col, kFieldNames[match]);
            return false;
        }
        header.FieldCol[match] = col;
        return true;
    }
    if (key.isEmpty()) {
        fail.Key = QStringLiteral("LoadData.DtmHeadersNotFound");
        return false;
    }
    const int number = ParseIntCell(key, kFailedCell);
    if (!IsKeyPointNumber(number)) {
        FailIncorrectHeader(fail, col, cell);
        return false;
    }
    keyMode = true;
    header.KeyCol[KeyPointSlot(number)] = col;
    header.LastKeyCol = col;
    return true;
}

// The header cells after the first one (RecordNumber, found by the header
// search), up to the end of the key point columns.
bool ReadRoadHeader(tFileRec& src, tRoadHeader& header, tImportFailure& fail) {
    header.FieldCol[fRecordNumber] = 1;
    std::array<QString, kFieldCount> upperNames;
    for (int f = 0; f < kFieldCount; ++f) upperNames[f] = HeaderKey(kFieldNames[f]);
    bool keyMode = false;
    int state = 1;
    QString cell;
    bool eor = false;
    for (int col = 2;; ++col) {
        if (!ReadCell(src, cell, eor)) {
            fail.Key = QStringLiteral("LoadData.HeaderReadError");
            return false;
        }
        const QString key = HeaderKey(cell);
        if (eor) {
            if (keyMode) return true;
            fail.Key = QStringLiteral("LoadData.DtmHeadersNotFound");
            return false;
        }
        if (!keyMode) {
            if (!TakeFieldHeaderCell(header, upperNames, col, cell, key, keyMode, fail)) return false;
            if (keyMode) state = 2;
            continue;
        }
        if (key.isEmpty()) {
            if (state == 1) return true;
            state = state == 2 ? 3 : 1;
            continue;
        }
        if (!TakeKeyHeaderCell(header, col, cell, key, state, fail)) return false;
    }
}

// The required fields, one of the traffic shares and the required key points.
bool CheckRoadHeader(const tRoadHeader& header, tImportFailure& fail) {
    const auto& fieldCol = header.FieldCol;
    for (int f = 0; f < kFieldCount; ++f) {
        if (f >= fCars && f <= fVehicleTrains) continue;
        if (fieldCol[f] == 0) {
            fail.Key = QStringLiteral("LoadData.MissingRequiredColumn");
            fail.Set(QStringLiteral("%XLColHeader%"), kFieldNames[f]);
            return false;
        }
    }
    if (!fieldCol[fCars] && !fieldCol[fTrucks] && !fieldCol[fBuses] && !fieldCol[fVehicleTrains]) {
        fail.Key = QStringLiteral("LoadData.MissingTrafficDistrHeaders");
        fail.Set(QStringLiteral("%RequiredHeadersList%"),
                 QStringList{kFieldNames[fCars], kFieldNames[fTrucks], kFieldNames[fBuses], kFieldNames[fVehicleTrains]}
                     .join(QStringLiteral(", ")));
        return false;
    }
    for (int k : kRequiredKeyPoints)
        if (header.KeyCol[KeyPointSlot(k)] == 0) {
            fail.Key = QStringLiteral("LoadData.MissingDtmKeyPoints");
            return false;
        }
    return true;
}

// What the data rows are read by: every column's target, the first key
// point column and the segment of every pair of neighbouring key points.
struct tRoadLayout {
    int LastCol = 0;
    int FirstKeyCol = 0;
    std::vector<tColumnTarget> ColMap;
    std::vector<tSegmentTemplate> Segments;
};

tRoadLayout MakeRoadLayout(const tRoadHeader& header) {
    tRoadLayout layout;
    const int lastCol = header.LastKeyCol + 2;
    layout.LastCol = lastCol;
    layout.ColMap.resize(size_t(lastCol) + 1);
    for (int f = 0; f < kFieldCount; ++f)
        if (header.FieldCol[f] > 0 && header.FieldCol[f] <= lastCol)
            layout.ColMap[size_t(header.FieldCol[f])].Field = f;
    layout.FirstKeyCol = lastCol + 1;
    for (int s = 0; s < kKeyPointSlots; ++s) {
        if (header.KeyCol[s] == 0) continue;
        layout.FirstKeyCol = std::min(layout.FirstKeyCol, header.KeyCol[s]);
        for (int sub = 1; sub <= 3; ++sub) {
            auto& t = layout.ColMap[size_t(header.KeyCol[s] + sub - 1)];
            t.Slot = s;
            t.Sub = sub;
        }
    }
    int prevSlot = -1;
    for (int s = 0; s < kKeyPointSlots; ++s) {
        if (header.KeyCol[s] == 0 || KeyPointOfSlot(s) < 1) continue;
        if (prevSlot >= 0) {
            const int a = KeyPointOfSlot(prevSlot);
            layout.Segments.push_back({prevSlot, s, a, KeyPointOfSlot(s), SegmentKind(a)});
        }
        prevSlot = s;
    }
    return layout;
}

// The values of the data row being read and what the next row is checked
// against.
struct tRoadRow {
    tPlanProfile Values;  // the named fields
    std::array<tRoadPoint, kKeyPointSlots> Points{};
    int RecordNumber = 0;
    int PrevNumber = 0;
    double PrevPosition = -1;
    bool Ended = false;  // an empty RecordNumber: the data ended before this row
};

// The record number and the position: in range and following the previous row.
bool TakeOrderCell(tRoadRow& r, int f, tCellView& view, int col, int row, tImportFailure& fail) {
    if (f == fRecordNumber) {
        if (view.IsEmpty()) {
            r.Ended = true;
            return true;
        }
        const int n = view.Int(kFailedCell);
        const bool inRange = n >= 1 && n <= kMaxRecordNumber;
        const bool next = n == r.PrevNumber + 1;
        r.PrevNumber = n;
        if (!inRange) {
            fail.Set(QStringLiteral("%MaxRecordNumber%"), QString::number(kMaxRecordNumber));
            FailCellValue(fail, col, row, kFieldReasons[f]);
            return false;
        }
        if (!next) {
            FailCellValue(fail, col, row, QStringLiteral("LoadData.NextNumberConstraint"));
            return false;
        }
        r.RecordNumber = n;
        return true;
    }
    const double v = view.Real(kFailedCell);
    const bool inRange = InRange(v, 0, 9999999.999);
    const bool next = v >= r.PrevPosition + 0.00099;
    r.PrevPosition = v;
    if (!inRange) {
        FailCellValue(fail, col, row, kFieldReasons[f]);
        return false;
    }
    if (!next) {
        FailCellValue(fail, col, row, QStringLiteral("LoadData.NextKmPlusPositionConstraint"));
        return false;
    }
    r.Values.Position = v;
    return true;
}

// Whether the value of one named field's cell is valid; valid values are
// stored in `values`.
bool TakeValueCell(tPlanProfile& values, int f, tCellView& view) {
    switch (f) {
    case fRoadCathegory: {
        const int c = ParseRoadCategory(view.ToString());
        if (c < 0 || c >= kCategoryCount) return false;
        values.RoadCathegory = uint8_t(c);
        return true;
    }
    case fTrafficIntensity: {
        const int v = view.Int(kFailedCell);
        if (v < 0 || v > 100000) return false;
        values.TrafficIntensity = v;
        return true;
    }
    case fCars:
    case fTrucks:
    case fBuses:
    case fVehicleTrains: {
        const double v = view.Real(kFailedCell);
        if (!InRange(v, 0, 1)) return false;
        double& share = f == fCars     ? values.Cars
                        : f == fTrucks ? values.Trucks
                        : f == fBuses  ? values.Buses
                                       : values.VehicleTrains;
        share = v;
        return true;
    }
    case fCurveRadius:
    case fClearance: {
        double v = 0;
        if (!view.IsEmpty()) {
            v = view.Real(kFailedCell);
            if (!(f == fCurveRadius ? InRange(v, 1, 50000) : InRange(v, 1.5, 1000))) return false;
        }
        (f == fCurveRadius ? values.CurveRadius : values.Clearance) = v;
        return true;
    }
    case fLongitudinalTilt: {
        const double v = view.Real(kFailedCell);
        if (!(std::fabs(v) < 1)) return false;
        values.LongitudinalTilt = v;
        return true;
    }
    case fSlicknessValue: {
        const double v = view.Real(kFailedCell);
        if (!InRange(v, 0, 1000)) return false;
        values.SlicknessValue = v;
        return true;
    }
    case fIsLocality:
    case fIsSocialActivity: {
        const int v = ParseYesNo(view.ToString(), QStringLiteral("0"));
        if (v != 0 && v != 1) return false;
        (f == fIsLocality ? values.IsLocality : values.IsSocialActivity) = uint8_t(v);
        return true;
    }
    default: return true;
    }
}

// One cell of a data row by its column's target. False with the failure set.
bool TakeRowCell(tRoadRow& r, const tRoadLayout& layout, tCellView& view, int col, int row,
                 tImportFailure& fail) {
    const tColumnTarget& target = layout.ColMap[size_t(col)];
    if (col == layout.FirstKeyCol) {
        const tPlanProfile& v = r.Values;
        const double sum = v.Cars + v.Buses + v.Trucks + v.VehicleTrains;
        if (std::fabs(1 - sum) > 0.001) {
            fail.Key = QStringLiteral("LoadData.InvalidTrafficDistrValues");
            fail.Set(QStringLiteral("%RowNumber%"), QString::number(row));
            return false;
        }
    }
    if (target.Slot >= 0) {
        const double v = view.Real(kFailedCell);
        const bool ok = target.Sub == 3 ? InRange(v, -120, 5000) : InRange(v, 0, 9999999);
        if (!ok) {
            FailCellValue(fail, col, row);
            return false;
        }
        tRoadPoint& p = r.Points[size_t(target.Slot)];
        (target.Sub == 1 ? p.Y : target.Sub == 2 ? p.X : p.H) = v;
        return true;
    }
    const int f = target.Field;
    if (f < 0) return true;
    if (f == fRecordNumber || f == fPosition) return TakeOrderCell(r, f, view, col, row, fail);
    if (TakeValueCell(r.Values, f, view)) return true;
    FailCellValue(fail, col, row, kFieldReasons[f]);
    return false;
}

// Reads the cells of one data row (the first one's first cell already read
// by the data-row search). False with the failure set; r.Ended when the row
// holds no more data.
bool ReadRoadRow(tFileRec& src, tRoadRow& r, const tRoadLayout& layout, const QString* firstCell, int row,
                 tImportFailure& fail) {
    tPlanProfile& values = r.Values;
    values.Cars = values.Buses = values.Trucks = values.VehicleTrains = 0;
    tCellView view;
    bool eor = false;
    for (int col = 1; col <= layout.LastCol; ++col) {
        if (firstCell && col == 1) {
            view.IsBytes = false;
            view.Text = *firstCell;
        } else if (!ReadCellView(src, view, eor)) {
            FailCellRead(fail, col, row);
            return false;
        }
        view.Trim();
        if (!TakeRowCell(r, layout, view, col, row, fail)) return false;
        if (r.Ended) return true;
    }
    return true;
}

// The profile of one read row, with its segment chain built from the key points.
void AddProfile(TMPlan& plan, const tRoadRow& r, const std::vector<tSegmentTemplate>& segments) {
    tPlanProfile& p = plan.Profiles.emplace_back();
    const int index = plan.Count() - 1;
    const tPlanProfile& v = r.Values;
    p.RoadCathegory = v.RoadCathegory;
    p.TrafficIntensity = v.TrafficIntensity;
    p.Cars = v.Cars;
    p.Buses = v.Buses;
    p.Trucks = v.Trucks;
    p.VehicleTrains = v.VehicleTrains;
    p.CurveRadius = v.CurveRadius;
    p.LongitudinalTilt = v.LongitudinalTilt;
    p.SlicknessValue = v.SlicknessValue;
    p.Clearance = v.Clearance;
    p.IsLocality = v.IsLocality;
    p.IsSocialActivity = v.IsSocialActivity;
    p.Position = v.Position;
    p.RecordNumber = r.RecordNumber;
    p.KeyPointM1 = r.Points[size_t(KeyPointSlot(-1))];
    p.KeyPoint0 = r.Points[size_t(KeyPointSlot(0))];
    p.Segments.resize(segments.size());  // the chain's one allocation
    for (size_t i = 0; i < segments.size(); ++i) {
        tProfileSegment& s = p.Segments[i];
        s.A = r.Points[size_t(segments[i].ASlot)];
        s.A.H2 = s.A.H;
        s.B = r.Points[size_t(segments[i].BSlot)];
        s.B.H2 = s.B.H;
        s.Kind = segments[i].Kind;
        s.Covered = 0;
        s.FromDtm = 1;
        s.SegNo = int32_t(i + 1);
        s.APoint = segments[i].APoint;
        s.BPoint = segments[i].BPoint;
    }
    for (auto& look : p.CrossLook) look.FirstVisible = index;
}

// The data rows from the first one on, into plan.Profiles.
bool ReadRoadRows(tFileRec& src, TMPlan& plan, const tRoadLayout& layout, int row, const tProgress& progress,
                  tImportFailure& fail) {
    QString firstCell;
    if (!FindFirstDataRow(src, row, IsRoadInteger, firstCell, fail)) return false;
    tRoadRow r;
    r.PrevNumber = ParseIntCell(firstCell, kFailedCell) - 1;
    int capacity = 0;
    // Storage for the rows the source appears to hold, so the profiles are not
    // moved as the table grows; the progress still follows the doubling capacity.
    plan.Profiles.reserve(size_t(RowsAheadEstimate(src, kMaxRecordNumber)));
    for (bool firstRow = true;; firstRow = false) {
        if (!ReadRoadRow(src, r, layout, firstRow ? &firstCell : nullptr, row, fail)) return false;
        if (r.Ended) break;
        const bool more = NextRow(src, row);
        ReserveOneMore(plan.Profiles, capacity, progress);
        AddProfile(plan, r, layout.Segments);
        progress.Pos(plan.Count());
        progress.Idle();
        if (!more) break;
    }
    // An estimate well above the rows read leaves no unused storage behind.
    auto& profiles = plan.Profiles;
    if (profiles.capacity() - profiles.size() > profiles.size() / 16) profiles.shrink_to_fit();
    return true;
}

}  // namespace

tImportResult ImportRoad(const QString& fileName, tRoadModel& model, const tProgress& progress) {
    tImportResult result;
    tImportFailure& fail = result.Failure;
    result.FileName = SourceFileName(fileName);
    result.FromCsv = IsCsvFileName(result.FileName);
    result.Sheet = 1;
    tFileRec src;

    auto failed = [&]() {
        CloseSource(src, true);
        result.Success = false;
        return result;
    };

    if (!OpenSource(fileName, src, 1, fail)) return failed();
    int row = 1;
    if (!FindHeaderRow(src, row, kFieldNames[fRecordNumber], fail)) return failed();
    tRoadHeader header;
    if (!ReadRoadHeader(src, header, fail) || !CheckRoadHeader(header, fail)) return failed();
    const tRoadLayout layout = MakeRoadLayout(header);

    TMPlan plan;
    if (!ReadRoadRows(src, plan, layout, row, progress, fail)) return failed();
    progress.Max(plan.Count());
    progress.Flush();
    if (plan.Count() < 3) {
        fail.Key = QStringLiteral("LoadData.MinRoadRowsConstraint");
        return failed();
    }
    CloseSource(src, false);
    model.Plan.Profiles = std::move(plan.Profiles);
    model.CrossRoads.Roads.clear();
    result.Success = true;
    result.Count = model.Plan.Count();
    result.Failure.Key.clear();
    return result;
}

}  // namespace kestrova
