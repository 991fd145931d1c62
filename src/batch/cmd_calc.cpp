// kestrova-batch calc: imports the tables, runs the calculation and writes the
// result grids as the CSV export writes them, plus the calculation log:
//   source.csv, speeds.csv, pivot.csv, profiles.csv, crossroads.csv (only
//   when crossroads were loaded) and log.txt, all in the --out folder.
#include "batch/batch_commands.h"
#include "batch/import_options.h"

#include "core/app/language_engine.h"
#include "core/calc/calc_run.h"
#include "core/calc/crossroads_list.h"
#include "core/calc/grid_texts.h"
#include "core/export/csv_writer.h"

#include <QDir>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>

#include <array>
#include <system_error>
#include <thread>

namespace kestrova::batch {

namespace {

QString CalcUsage() {
    return QStringLiteral("usage: kestrova-batch calc\n") + ImportOptionsUsage() +
           QStringLiteral("  --out DIR [--locale NAME] [--engine reference|fast]\n");
}

tTextTableView CrossRoadsView(const tCrossRoadsListTable& list) {
    tTextTableView view;
    view.Rows = static_cast<int>(list.Rows.size());
    view.Columns = 4;
    view.Cell = [&list](int row, int column) { return list.Rows[size_t(row)][size_t(column)]; };
    return view;
}

bool Reported(tCsvResult result, const QString& path) {
    if (result == tCsvResult::Success) return true;
    QTextStream(stderr) << "kestrova-batch calc: cannot write " << QDir::toNativeSeparators(path) << '\n';
    return false;
}

struct tCalcOptions {
    tImportOptions Import;
    QString Out;
    QString Separator = QStringLiteral(".");
    tCalcEngine Engine = tCalcEngine::Fast;
};

// The decimal separator of a locale name; false for a name QLocale does not
// know (it falls back to "C" for those).
bool LocaleSeparator(const QString& locale, QString& separator, QString& error) {
    const QLocale named(locale);
    if (named.language() == QLocale::C && locale != QStringLiteral("C")) {
        error = QStringLiteral("unknown locale ") + locale;
        return false;
    }
    separator = named.decimalPoint();
    return true;
}

bool TakeCalcOptions(const QStringList& arguments, tCalcOptions& options, QString& error) {
    QStringList args = arguments;
    QString locale, engineName;
    bool hasOut = false, hasLocale = false, hasEngine = false;
    bool ok = TakeImportOptions(args, options.Import, error) &&
              TakeValue(args, QStringLiteral("--out"), options.Out, hasOut, error) &&
              TakeValue(args, QStringLiteral("--locale"), locale, hasLocale, error) &&
              TakeValue(args, QStringLiteral("--engine"), engineName, hasEngine, error);
    ok = ok && CheckArgumentsDone(args, QStringLiteral("--out"), hasOut, error);
    if (ok && hasEngine && engineName != QStringLiteral("reference") && engineName != QStringLiteral("fast")) {
        error = QStringLiteral("--engine must be reference or fast");
        ok = false;
    }
    ok = ok && (!hasLocale || LocaleSeparator(locale, options.Separator, error));
    if (engineName == QStringLiteral("reference")) options.Engine = tCalcEngine::Reference;
    return ok;
}

// Runs the calculation and returns its log, one translated line each.
QStringList CalculateWithLog(tRoadModel& model, TLanguageEngine& language, tCalcEngine engine) {
    QStringList log;
    tProgress progress;
    progress.Log = [&](const tMessage& line) {
        // The rule between the stages and the completion line is no key.
        QString text = line.Key == kCalcLogRule ? line.Key : language.Text(line);
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        log << text;
    };
    RunCalculation(model, progress, engine);
    return log;
}

// The four result grids as the CSV export writes them, in the order written.
// Their text is made on two threads, the factor speeds (the largest) on a
// helper; the files are then written one after the other, so a failure stops
// at the same file as before and leaves the later ones unwritten.
bool WriteGrids(const tRoadModel& model, const tGridLanguage& texts, const QString& separator, const QDir& dir) {
    tGridSource source;
    source.Plan = &model.Plan;
    source.Pivot = &model.Pivot;
    source.Language = &texts;
    source.DecimalSeparator = separator;
    const struct {
        tGridId Grid;
        const char* File;
    } grids[] = {{tGridId::SourceData, "source.csv"},
                 {tGridId::DraftV, "speeds.csv"},
                 {tGridId::PivotData, "pivot.csv"},
                 {tGridId::ProfilesList, "profiles.csv"}};
    constexpr size_t kHelped = 1;
    std::array<QByteArray, std::size(grids)> bytes;
    auto make = [&](size_t i) { bytes[i] = CsvFileBytes(GridView(grids[i].Grid, source)); };
    std::thread helper;
    try {
        helper = std::thread(make, kHelped);
    } catch (const std::system_error&) {
        make(kHelped);  // no thread to spare: made here
    }
    for (size_t i = 0; i < bytes.size(); ++i)
        if (i != kHelped) make(i);
    if (helper.joinable()) helper.join();
    for (size_t i = 0; i < bytes.size(); ++i) {
        const QString path = dir.filePath(QString::fromLatin1(grids[i].File));
        if (!Reported(WriteCsvFile(bytes[i], path), path)) return false;
    }
    return true;
}

bool WriteCrossRoadsList(const tRoadModel& model, const tSectionLookup& lookup, const QDir& dir) {
    if (model.CrossRoads.Count() == 0) return true;
    const tProgress none;
    tProgressCounter listCounter(none);
    const tCrossRoadsListTable list = BuildCrossRoadsList(model.CrossRoads, lookup, listCounter);
    const QString path = dir.filePath(QStringLiteral("crossroads.csv"));
    return Reported(ExportGridToCsv(CrossRoadsView(list), path), path);
}

bool WriteLog(const QStringList& log, const QDir& dir) {
    QSaveFile logFile(dir.filePath(QStringLiteral("log.txt")));
    if (logFile.open(QIODevice::WriteOnly)) {
        QByteArray bytes;
        for (const QString& line : log) bytes += line.toUtf8() + "\r\n";
        logFile.write(bytes);
    }
    if (!logFile.isOpen() || !logFile.commit()) {
        QTextStream(stderr) << "kestrova-batch calc: cannot write "
                            << QDir::toNativeSeparators(dir.filePath(QStringLiteral("log.txt"))) << '\n';
        return false;
    }
    return true;
}

}  // namespace

int RunCalc(const QStringList& arguments) {
    tCalcOptions options;
    QString error;
    if (!TakeCalcOptions(arguments, options, error)) {
        QTextStream(stderr) << "kestrova-batch calc: " << error << '\n' << CalcUsage();
        return 1;
    }
    tRoadModel model;
    const int imported = RunImports(options.Import, model);
    if (imported != 0) return imported;

    std::optional<TLanguageEngine> loaded = LoadBatchLanguage(options.Import, QStringLiteral("calc"));
    if (!loaded) return 2;
    TLanguageEngine& language = *loaded;
    const QDir dir(options.Out);
    if (!QDir().mkpath(dir.absolutePath())) {
        QTextStream(stderr) << "kestrova-batch calc: cannot create " << QDir::toNativeSeparators(options.Out) << '\n';
        return 2;
    }
    const tSectionLookup lookup = [&language](const QString& section, const QString& key) {
        return language.GetSectionText(section, key);
    };

    const QStringList log = CalculateWithLog(model, language, options.Engine);
    tGridLanguage texts;
    FillHeaderTexts(texts, lookup);
    FillCauseTexts(texts, lookup);
    const bool written = WriteGrids(model, texts, options.Separator, dir) && WriteCrossRoadsList(model, lookup, dir) &&
                         WriteLog(log, dir);
    return written ? 0 : 2;
}

}  // namespace kestrova::batch
