// Road import speed: a generated road table of 20,000 profiles and 101
// columns (14 named columns, 29 key points), read from CSV and from .xlsx.
// Goals: CSV within 1 s, .xlsx within 3 s. The tables are written once into a
// temporary folder.
#include "import/excel_tables.h"
#include "import/road_import.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <memory>
#include <vector>

using namespace kestrova;

namespace {

constexpr int kRows = 20000;

std::vector<int> KeyPoints() {
    std::vector<int> k = {-1, 0};
    for (int n = 105; n <= 130; ++n) k.push_back(n);
    k.push_back(200);
    return k;
}

std::vector<QByteArray> Header() {
    std::vector<QByteArray> h = {"RecordNumber", "Position",         "RoadCathegory",  "TrafficIntensity",
                                 "Cars",         "Trucks",           "Buses",          "VehicleTrains",
                                 "CurveRadius",  "LongitudinalTilt", "SlicknessValue", "Clearance",
                                 "IsLocality",   "IsSocialActivity"};
    for (int k : KeyPoints()) {
        h.push_back(QByteArray::number(k));
        h.push_back("");
        h.push_back("");
    }
    return h;
}

// Cell texts of data row i (0-based); numbers written with their shortest text.
std::vector<QByteArray> Row(int i) {
    std::vector<QByteArray> r = {QByteArray::number(i + 1), QByteArray::number(10.5 * i, 'g', 15), "II", "6500",
                                 "0.55", "0.25", "0.1", "0.1",
                                 i % 3 ? QByteArray() : QByteArray("850.5"), QByteArray::number(0.001 * (i % 40 - 20), 'g', 15),
                                 "0.4", i % 50 ? QByteArray() : QByteArray("5.2"), i % 7 ? "0" : "1", "0"};
    const double x = 100000 + 10.5 * i;
    int j = 0;
    for (int k : KeyPoints()) {
        const double offset = -30 + 2.125 * j++;
        r.push_back(QByteArray::number(x, 'g', 15));
        r.push_back(QByteArray::number(50000 + offset, 'g', 15));
        r.push_back(QByteArray::number(150 + 0.25 * (k % 7) + 0.01 * (i % 100), 'g', 15));
    }
    return r;
}

struct tInputs {
    QTemporaryDir Dir;
    QString Csv;
    QString Xlsx;
};

tInputs& Inputs() {
    static std::unique_ptr<tInputs> inputs;
    if (inputs) return *inputs;
    inputs = std::make_unique<tInputs>();
    inputs->Csv = inputs->Dir.filePath("road.csv");
    inputs->Xlsx = inputs->Dir.filePath("road.xlsx");
    const auto header = Header();
    {
        QFile f(inputs->Csv);
        f.open(QIODevice::WriteOnly);
        QByteArray line;
        for (size_t c = 0; c < header.size(); ++c) line += (c ? ";" : "") + header[c];
        f.write(line + "\r\n");
        for (int i = 0; i < kRows; ++i) {
            const auto row = Row(i);
            line.clear();
            for (size_t c = 0; c < row.size(); ++c) {
                if (c) line += ';';
                line += row[c];
            }
            f.write(line + "\r\n");
        }
    }
    {
        const QByteArray name = QFile::encodeName(inputs->Xlsx);
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(name.constData(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(book, "Road");
        auto put = [&](int r, int c, const QByteArray& t) {
            if (t.isEmpty()) return;
            bool ok = false;
            const double v = t.toDouble(&ok);
            if (ok) worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), v, nullptr);
            else worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), t.constData(), nullptr);
        };
        for (size_t c = 0; c < header.size(); ++c) put(0, int(c), header[c]);
        for (int i = 0; i < kRows; ++i) {
            const auto row = Row(i);
            for (size_t c = 0; c < row.size(); ++c) put(i + 1, int(c), row[c]);
        }
        workbook_close(book);
    }
    return *inputs;
}

void Import(benchmark::State& state, const QString& path) {
    for (auto _ : state) {
        tRoadModel model;
        const tImportResult r = ImportRoad(path, model);
        if (!r.Success || r.Count != kRows) state.SkipWithError(("import failed: " + r.Failure.Key).toUtf8().constData());
        benchmark::DoNotOptimize(model.Plan.Profiles.data());
    }
    state.counters["bytes"] = double(QFile(path).size());
    state.counters["profiles"] = kRows;
}

void BM_ImportRoadCsv(benchmark::State& state) { Import(state, Inputs().Csv); }
void BM_ImportRoadXlsx(benchmark::State& state) { Import(state, Inputs().Xlsx); }

// The workbook part alone: unzip, parse and store the sheet.
void BM_LoadXlsxSheet(benchmark::State& state) {
    const QString path = Inputs().Xlsx;
    for (auto _ : state) {
        TExcel book(path);
        if (!book.SelectSheet(book.SheetName(0))) state.SkipWithError("sheet not read");
        benchmark::DoNotOptimize(book.UsedRows());
    }
}

BENCHMARK(BM_LoadXlsxSheet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportRoadCsv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportRoadXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
