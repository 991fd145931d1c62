#include "import/road_import.h"

#include "model/cell_parsing.h"
#include "import/source_reader.h"
#include "model/road_text.h"

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

    // Header cells.
    std::array<int, kFieldCount> fieldCol{};
    fieldCol[fRecordNumber] = 1;
    std::array<int, kKeyPointSlots> keyCol{};
    std::array<QString, kFieldCount> upperNames;
    for (int f = 0; f < kFieldCount; ++f) upperNames[f] = HeaderKey(kFieldNames[f]);
    bool keyMode = false;
    int state = 1;
    int lastKeyCol = 0;
    QString cell;
    bool eor = false;
    for (int col = 2;; ++col) {
        if (!ReadCell(src, cell, eor)) {
            fail.Key = QStringLiteral("LoadData.HeaderReadError");
            return failed();
        }
        const QString key = HeaderKey(cell);
        if (eor) {
            if (keyMode) break;
            fail.Key = QStringLiteral("LoadData.DtmHeadersNotFound");
            return failed();
        }
        if (!keyMode) {
            int match = -1;
            for (int f = 0; f < kFieldCount && match < 0; ++f)
                if (key == upperNames[f]) match = f;
            if (match >= 0) {
                if (fieldCol[match] != 0) {
                    FailDuplicateHeader(fail, fieldCol[match], col, kFieldNames[match]);
                    return failed();
                }
                fieldCol[match] = col;
                continue;
            }
            if (key.isEmpty()) {
                fail.Key = QStringLiteral("LoadData.DtmHeadersNotFound");
                return failed();
            }
            const int number = ParseIntCell(key, kFailedCell);
            if (!IsKeyPointNumber(number)) {
                FailIncorrectHeader(fail, col, cell);
                return failed();
            }
            keyMode = true;
            keyCol[KeyPointSlot(number)] = col;
            lastKeyCol = col;
            state = 2;
            continue;
        }
        if (key.isEmpty()) {
            if (state == 1) break;
            state = state == 2 ? 3 : 1;
            continue;
        }
        if (state != 1) {
            fail.Key = QStringLiteral("LoadData.DtmYHheadersNotAllowed");
            fail.Set(QStringLiteral("%XLColNumber%"), ColumnLetters(col, false));
            fail.Set(QStringLiteral("%XLColValue%"), cell);
            return failed();
        }
        const int number = ParseIntCell(key, kFailedCell);
        if (!IsKeyPointNumber(number)) {
            FailIncorrectHeader(fail, col, cell);
            return failed();
        }
        if (keyCol[KeyPointSlot(number)] != 0) {
            fail.Key = QStringLiteral("LoadData.DuplicateDtmHeaders");
            fail.Set(QStringLiteral("%XLColNumber1%"), ColumnLetters(keyCol[KeyPointSlot(number)], false));
            fail.Set(QStringLiteral("%XLColNumber2%"), ColumnLetters(col, false));
            fail.Set(QStringLiteral("%XLColValue%"), key);
            return failed();
        }
        keyCol[KeyPointSlot(number)] = col;
        lastKeyCol = std::max(lastKeyCol, col);
        state = 2;
    }

    // Header checks.
    for (int f = 0; f < kFieldCount; ++f) {
        if (f >= fCars && f <= fVehicleTrains) continue;
        if (fieldCol[f] == 0) {
            fail.Key = QStringLiteral("LoadData.MissingRequiredColumn");
            fail.Set(QStringLiteral("%XLColHeader%"), kFieldNames[f]);
            return failed();
        }
    }
    if (!fieldCol[fCars] && !fieldCol[fTrucks] && !fieldCol[fBuses] && !fieldCol[fVehicleTrains]) {
        fail.Key = QStringLiteral("LoadData.MissingTrafficDistrHeaders");
        fail.Set(QStringLiteral("%RequiredHeadersList%"),
                 QStringList{kFieldNames[fCars], kFieldNames[fTrucks], kFieldNames[fBuses], kFieldNames[fVehicleTrains]}
                     .join(QStringLiteral(", ")));
        return failed();
    }
    for (int k : kRequiredKeyPoints)
        if (keyCol[KeyPointSlot(k)] == 0) {
            fail.Key = QStringLiteral("LoadData.MissingDtmKeyPoints");
            return failed();
        }

    const int lastCol = lastKeyCol + 2;
    std::vector<tColumnTarget> colMap(size_t(lastCol) + 1);
    for (int f = 0; f < kFieldCount; ++f)
        if (fieldCol[f] > 0 && fieldCol[f] <= lastCol) colMap[size_t(fieldCol[f])].Field = f;
    int firstKeyCol = lastCol + 1;
    for (int s = 0; s < kKeyPointSlots; ++s) {
        if (keyCol[s] == 0) continue;
        firstKeyCol = std::min(firstKeyCol, keyCol[s]);
        for (int sub = 1; sub <= 3; ++sub) {
            auto& t = colMap[size_t(keyCol[s] + sub - 1)];
            t.Slot = s;
            t.Sub = sub;
        }
    }
    std::vector<tSegmentTemplate> segments;
    {
        int prevSlot = -1;
        for (int s = 0; s < kKeyPointSlots; ++s) {
            if (keyCol[s] == 0 || KeyPointOfSlot(s) < 1) continue;
            if (prevSlot >= 0) {
                const int a = KeyPointOfSlot(prevSlot);
                segments.push_back({prevSlot, s, a, KeyPointOfSlot(s), SegmentKind(a)});
            }
            prevSlot = s;
        }
    }

    // Data rows.
    QString firstCell;
    if (!FindFirstDataRow(src, row, IsRoadInteger, firstCell, fail)) return failed();
    int prevNumber = ParseIntCell(firstCell, kFailedCell) - 1;
    double prevPosition = -1;

    TMPlan plan;
    int capacity = 0;
    // Storage for the rows the source appears to hold, so the profiles are not
    // moved as the table grows; the progress still follows the doubling capacity.
    plan.Profiles.reserve(size_t(RowsAheadEstimate(src, kMaxRecordNumber)));
    std::array<tRoadPoint, kKeyPointSlots> points{};
    tPlanProfile values;
    int recordNumber = 0;
    bool firstRow = true;
    tCellView view;
    const QString zero = QStringLiteral("0");
    for (;;) {
        values.Cars = values.Buses = values.Trucks = values.VehicleTrains = 0;
        bool dataEnded = false;
        for (int col = 1; col <= lastCol; ++col) {
            if (firstRow && col == 1) {
                view.IsBytes = false;
                view.Text = firstCell;
            } else if (!ReadCellView(src, view, eor)) {
                FailCellRead(fail, col, row);
                return failed();
            }
            view.Trim();
            const tColumnTarget& target = colMap[size_t(col)];
            if (col == firstKeyCol) {
                const double sum = values.Cars + values.Buses + values.Trucks + values.VehicleTrains;
                if (std::fabs(1 - sum) > 0.001) {
                    fail.Key = QStringLiteral("LoadData.InvalidTrafficDistrValues");
                    fail.Set(QStringLiteral("%RowNumber%"), QString::number(row));
                    return failed();
                }
            }
            if (target.Slot >= 0) {
                const double v = view.Real(kFailedCell);
                const bool ok = target.Sub == 3 ? InRange(v, -120, 5000) : InRange(v, 0, 9999999);
                if (!ok) {
                    FailCellValue(fail, col, row);
                    return failed();
                }
                tRoadPoint& p = points[size_t(target.Slot)];
                if (target.Sub == 1) p.Y = v;
                else if (target.Sub == 2) p.X = v;
                else p.H = v;
                continue;
            }
            if (target.Field < 0) continue;
            const int f = target.Field;
            auto reject = [&](const QString& reason) {
                FailCellValue(fail, col, row, reason);
                return failed();
            };
            switch (f) {
            case fRecordNumber: {
                if (view.IsEmpty()) {
                    dataEnded = true;
                    break;
                }
                const int n = view.Int(kFailedCell);
                const bool inRange = n >= 1 && n <= kMaxRecordNumber;
                const bool next = n == prevNumber + 1;
                prevNumber = n;
                if (!inRange) {
                    fail.Set(QStringLiteral("%MaxRecordNumber%"), QString::number(kMaxRecordNumber));
                    return reject(kFieldReasons[f]);
                }
                if (!next) return reject(QStringLiteral("LoadData.NextNumberConstraint"));
                recordNumber = n;
                break;
            }
            case fPosition: {
                const double v = view.Real(kFailedCell);
                const bool inRange = InRange(v, 0, 9999999.999);
                const bool next = v >= prevPosition + 0.00099;
                prevPosition = v;
                if (!inRange) return reject(kFieldReasons[f]);
                if (!next) return reject(QStringLiteral("LoadData.NextKmPlusPositionConstraint"));
                values.Position = v;
                break;
            }
            case fRoadCathegory: {
                const int c = ParseRoadCategory(view.ToString());
                if (c < 0 || c >= kCategoryCount) return reject(kFieldReasons[f]);
                values.RoadCathegory = uint8_t(c);
                break;
            }
            case fTrafficIntensity: {
                const int v = view.Int(kFailedCell);
                if (v < 0 || v > 100000) return reject(kFieldReasons[f]);
                values.TrafficIntensity = v;
                break;
            }
            case fCars:
            case fTrucks:
            case fBuses:
            case fVehicleTrains: {
                const double v = view.Real(kFailedCell);
                if (!InRange(v, 0, 1)) return reject(kFieldReasons[f]);
                if (f == fCars) values.Cars = v;
                else if (f == fTrucks) values.Trucks = v;
                else if (f == fBuses) values.Buses = v;
                else values.VehicleTrains = v;
                break;
            }
            case fCurveRadius:
            case fClearance: {
                double v = 0;
                if (!view.IsEmpty()) {
                    v = view.Real(kFailedCell);
                    const bool ok = f == fCurveRadius ? InRange(v, 1, 50000) : InRange(v, 1.5, 1000);
                    if (!ok) return reject(kFieldReasons[f]);
                }
                (f == fCurveRadius ? values.CurveRadius : values.Clearance) = v;
                break;
            }
            case fLongitudinalTilt: {
                const double v = view.Real(kFailedCell);
                if (!(std::fabs(v) < 1)) return reject(kFieldReasons[f]);
                values.LongitudinalTilt = v;
                break;
            }
            case fSlicknessValue: {
                const double v = view.Real(kFailedCell);
                if (!InRange(v, 0, 1000)) return reject(kFieldReasons[f]);
                values.SlicknessValue = v;
                break;
            }
            case fIsLocality:
            case fIsSocialActivity: {
                const int v = ParseYesNo(view.ToString(), zero);
                if (v != 0 && v != 1) return reject(kFieldReasons[f]);
                (f == fIsLocality ? values.IsLocality : values.IsSocialActivity) = uint8_t(v);
                break;
            }
            default: break;
            }
            if (dataEnded) break;
        }
        if (dataEnded) break;
        firstRow = false;

        const bool more = NextRow(src, row);
        ReserveOneMore(plan.Profiles, capacity, progress);
        plan.Profiles.emplace_back();
        tPlanProfile& p = plan.Profiles.back();
        const int index = plan.Count() - 1;
        p.RoadCathegory = values.RoadCathegory;
        p.TrafficIntensity = values.TrafficIntensity;
        p.Cars = values.Cars;
        p.Buses = values.Buses;
        p.Trucks = values.Trucks;
        p.VehicleTrains = values.VehicleTrains;
        p.CurveRadius = values.CurveRadius;
        p.LongitudinalTilt = values.LongitudinalTilt;
        p.SlicknessValue = values.SlicknessValue;
        p.Clearance = values.Clearance;
        p.IsLocality = values.IsLocality;
        p.IsSocialActivity = values.IsSocialActivity;
        p.Position = values.Position;
        p.RecordNumber = recordNumber;
        p.KeyPointM1 = points[size_t(KeyPointSlot(-1))];
        p.KeyPoint0 = points[size_t(KeyPointSlot(0))];
        p.Segments.resize(segments.size());
        for (size_t i = 0; i < segments.size(); ++i) {
            tProfileSegment& s = p.Segments[i];
            s.A = points[size_t(segments[i].ASlot)];
            s.A.H2 = s.A.H;
            s.B = points[size_t(segments[i].BSlot)];
            s.B.H2 = s.B.H;
            s.Kind = segments[i].Kind;
            s.Covered = 0;
            s.FromDtm = 1;
            s.SegNo = int32_t(i + 1);
            s.APoint = segments[i].APoint;
            s.BPoint = segments[i].BPoint;
        }
        for (auto& look : p.CrossLook) look.FirstVisible = index;
        progress.Pos(plan.Count());
        progress.Idle();
        if (!more) break;
    }

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
