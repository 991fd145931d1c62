// Road import speed: a generated road table of 20,000 and of 100,000 profiles
// and 101 columns (14 named columns, 29 key points), read from CSV, .xlsx,
// .xls and .ods; each run reports the file's MB/s and the peak memory of the
// import ("peak_MB", where the system tells it). Goals at 20,000 rows: CSV
// within 0.25 s, .xlsx within 1 s; 100,000 rows of CSV within 1.5 s. The tables
// are written once into a temporary folder; the .xls table is converted from
// the .xlsx one by LibreOffice when it is installed (an .xls sheet holds at
// most 65,536 rows, so only the smaller table has one).
#include "core/import/excel_tables.h"
#include "core/import/road_import.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <map>
#include <memory>
#include <vector>

using namespace kestrova;

namespace {


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
    QString Csv, Xlsx, Xls, Ods;
};

void WriteCsv(const QString& path, int rows) {
    const auto header = Header();
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QByteArray line;
    for (size_t c = 0; c < header.size(); ++c) line += (c ? ";" : "") + header[c];
    f.write(line + "\r\n");
    for (int i = 0; i < rows; ++i) {
        const auto row = Row(i);
        line.clear();
        for (size_t c = 0; c < row.size(); ++c) {
            if (c) line += ';';
            line += row[c];
        }
        f.write(line + "\r\n");
    }
}

void WriteXlsx(const QString& path, int rows) {
    const auto header = Header();
    const QByteArray name = QFile::encodeName(path);
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
    for (int i = 0; i < rows; ++i) {
        const auto row = Row(i);
        for (size_t c = 0; c < row.size(); ++c) put(i + 1, int(c), row[c]);
    }
    workbook_close(book);
}

// An .ods package as LibreOffice writes one: numbers as float cells with
// their office:value, texts as strings, empty cells as such. content.xml goes
// through a file of its own, as it is too large to be held.
void WriteOds(const QString& path, const QString& contentPath, int rows) {
    {
        QFile f(contentPath);
        f.open(QIODevice::WriteOnly);
        f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
                "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
                "<table:table table:name=\"Road\">");
        QByteArray line;
        auto put = [&](const std::vector<QByteArray>& cells) {
            line = "<table:table-row>";
            for (const QByteArray& t : cells) {
                bool ok = false;
                t.toDouble(&ok);
                if (t.isEmpty())
                    line += "<table:table-cell/>";
                else if (ok)
                    line += "<table:table-cell office:value-type=\"float\" office:value=\"" + t + "\"><text:p>" + t +
                            "</text:p></table:table-cell>";
                else
                    line += "<table:table-cell office:value-type=\"string\"><text:p>" + t + "</text:p></table:table-cell>";
            }
            f.write(line + "</table:table-row>\n");
        };
        put(Header());
        for (int i = 0; i < rows; ++i) put(Row(i));
        f.write("</table:table></office:spreadsheet></office:body></office:document-content>");
    }
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    static const char kMime[] = "application/vnd.oasis.opendocument.spreadsheet";
    zip_file_add(z, "mimetype", zip_source_buffer(z, kMime, sizeof kMime - 1, 0), 0);
    zip_file_add(z, "content.xml", zip_source_file(z, QFile::encodeName(contentPath).constData(), 0, -1), 0);
    zip_close(z);
    QFile::remove(contentPath);
}

// The .xls table, converted by LibreOffice; empty when it is not installed.
QString ConvertToXls(const QString& xlsx, const QString& folder) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) return {};
    QProcess p;
    p.start(soffice, {"--headless", "--norestore", "--convert-to", "xls", "--outdir", folder, xlsx});
    p.waitForFinished(600000);
    const QString xls = QDir(folder).filePath(QFileInfo(xlsx).completeBaseName() + ".xls");
    return QFile::exists(xls) ? xls : QString();
}

tInputs& Inputs(int rows) {
    static std::map<int, std::unique_ptr<tInputs>> all;
    auto& inputs = all[rows];
    if (inputs) return *inputs;
    inputs = std::make_unique<tInputs>();
    const QString base = inputs->Dir.filePath("road" + QString::number(rows));
    inputs->Csv = base + ".csv";
    inputs->Xlsx = base + ".xlsx";
    inputs->Ods = base + ".ods";
    WriteCsv(inputs->Csv, rows);
    WriteXlsx(inputs->Xlsx, rows);
    WriteOds(inputs->Ods, base + ".content.xml", rows);
    if (rows <= 65535) inputs->Xls = ConvertToXls(inputs->Xlsx, inputs->Dir.path());
    return *inputs;
}

// Peak memory of the process since the last reset, in MB; 0 where the system
// does not tell it (Linux: /proc/self/status, reset through clear_refs).
void ResetPeakMemory() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

double PeakMemoryMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

enum tFormat { Csv, Xlsx, Xls, Ods };

void Import(benchmark::State& state, tFormat format) {
    const int rows = int(state.range(0));
    const tInputs& in = Inputs(rows);
    const QString path = format == Csv ? in.Csv : format == Xlsx ? in.Xlsx : format == Xls ? in.Xls : in.Ods;
    if (path.isEmpty()) {
        state.SkipWithError("no such table here (.xls: LibreOffice not installed, or more than 65,536 rows)");
        return;
    }
    ResetPeakMemory();
    double peak = 0;
    for (auto _ : state) {
        tRoadModel model;
        const tImportResult r = ImportRoad(path, model);
        if (!r.Success || r.Count != rows) state.SkipWithError(("import failed: " + r.Failure.Key).toUtf8().constData());
        benchmark::DoNotOptimize(model.Plan.Profiles.data());
        peak = std::max(peak, PeakMemoryMb());
    }
    const double bytes = double(QFile(path).size());
    state.SetBytesProcessed(int64_t(bytes) * int64_t(state.iterations()));
    state.counters["file_MB"] = bytes / (1024 * 1024);
    state.counters["peak_MB"] = peak;
    state.counters["profiles"] = rows;
}

void BM_ImportRoadCsv(benchmark::State& state) { Import(state, Csv); }
void BM_ImportRoadXlsx(benchmark::State& state) { Import(state, Xlsx); }
void BM_ImportRoadXls(benchmark::State& state) { Import(state, Xls); }
void BM_ImportRoadOds(benchmark::State& state) { Import(state, Ods); }

// The workbook part alone: unzip, parse and store the sheet.
void BM_LoadXlsxSheet(benchmark::State& state) {
    const QString path = Inputs(int(state.range(0))).Xlsx;
    for (auto _ : state) {
        TExcel book(path);
        if (!book.SelectSheet(book.SheetName(0))) state.SkipWithError("sheet not read");
        benchmark::DoNotOptimize(book.UsedRows());
    }
    state.SetBytesProcessed(int64_t(QFile(path).size()) * int64_t(state.iterations()));
}

BENCHMARK(BM_LoadXlsxSheet)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(20000);
BENCHMARK(BM_ImportRoadCsv)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(20000)->Arg(100000);
BENCHMARK(BM_ImportRoadXlsx)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(20000)->Arg(100000);
BENCHMARK(BM_ImportRoadXls)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(20000);
BENCHMARK(BM_ImportRoadOds)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(20000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
