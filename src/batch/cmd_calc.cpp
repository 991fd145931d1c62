// kestrova-batch calc: imports the tables, runs the calculation and writes the
// result grids as the CSV export writes them, plus the calculation log:
//   source.csv, speeds.csv, pivot.csv, profiles.csv, crossroads.csv (only
//   when crossroads were loaded) and log.txt, all in the --out folder.
#include "batch_commands.h"
#include "import_options.h"

#include "app/language_engine.h"
#include "calc/calc_run.h"
#include "calc/crossroads_list.h"
#include "calc/grid_texts.h"
#include "export/csv_writer.h"

#include <QDir>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>

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

bool WriteCsv(const tTextTableView& table, const QString& path) {
    const tCsvResult result = ExportGridToCsv(table, path);
    if (result == tCsvResult::Success) return true;
    QTextStream(stderr) << "kestrova-batch calc: cannot write " << QDir::toNativeSeparators(path) << '\n';
    return false;
}

}  // namespace

int RunCalc(const QStringList& arguments) {
    QStringList args = arguments;
    tImportOptions options;
    QString error;
    QString out, locale, engineName;
    bool hasOut = false, hasLocale = false, hasEngine = false;
    bool ok = TakeImportOptions(args, options, error) && TakeValue(args, QStringLiteral("--out"), out, hasOut, error) &&
              TakeValue(args, QStringLiteral("--locale"), locale, hasLocale, error) &&
              TakeValue(args, QStringLiteral("--engine"), engineName, hasEngine, error);
    ok = ok && CheckArgumentsDone(args, QStringLiteral("--out"), hasOut, error);
    if (ok && hasEngine && engineName != QStringLiteral("reference") && engineName != QStringLiteral("fast")) {
        error = QStringLiteral("--engine must be reference or fast");
        ok = false;
    }
    QString separator = QStringLiteral(".");
    if (ok && hasLocale) {
        const QLocale named(locale);
        // QLocale falls back to "C" for names it does not know.
        if (named.language() == QLocale::C && locale != QStringLiteral("C")) {
            error = QStringLiteral("unknown locale ") + locale;
            ok = false;
        } else {
            separator = named.decimalPoint();
        }
    }
    if (!ok) {
        QTextStream(stderr) << "kestrova-batch calc: " << error << '\n' << CalcUsage();
        return 1;
    }
    tRoadModel model;
    const int imported = RunImports(options, model);
    if (imported != 0) return imported;

    std::optional<TLanguageEngine> loaded = LoadBatchLanguage(options, QStringLiteral("calc"));
    if (!loaded) return 2;
    TLanguageEngine& language = *loaded;
    const QDir dir(out);
    if (!QDir().mkpath(dir.absolutePath())) {
        QTextStream(stderr) << "kestrova-batch calc: cannot create " << QDir::toNativeSeparators(out) << '\n';
        return 2;
    }
    const tSectionLookup lookup = [&language](const QString& section, const QString& key) {
        return language.GetSectionText(section, key);
    };

    QStringList log;
    tProgress progress;
    progress.Log = [&](const tMessage& line) {
        // The rule between the stages and the completion line is no key.
        QString text = line.Key == kCalcLogRule ? line.Key : language.Text(line);
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        log << text;
    };
    const tCalcEngine engine = engineName == QStringLiteral("reference") ? tCalcEngine::Reference : tCalcEngine::Fast;
    RunCalculation(model, progress, engine);

    tGridLanguage texts;
    FillHeaderTexts(texts, lookup);
    FillCauseTexts(texts, lookup);
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
    for (const auto& g : grids)
        if (!WriteCsv(GridView(g.Grid, source), dir.filePath(QString::fromLatin1(g.File)))) return 2;

    if (model.CrossRoads.Count() > 0) {
        const tProgress none;
        tProgressCounter listCounter(none);
        const tCrossRoadsListTable list = BuildCrossRoadsList(model.CrossRoads, lookup, listCounter);
        if (!WriteCsv(CrossRoadsView(list), dir.filePath(QStringLiteral("crossroads.csv")))) return 2;
    }

    QSaveFile logFile(dir.filePath(QStringLiteral("log.txt")));
    if (logFile.open(QIODevice::WriteOnly)) {
        QByteArray bytes;
        for (const QString& line : log) bytes += line.toUtf8() + "\r\n";
        logFile.write(bytes);
    }
    if (!logFile.isOpen() || !logFile.commit()) {
        QTextStream(stderr) << "kestrova-batch calc: cannot write "
                            << QDir::toNativeSeparators(dir.filePath(QStringLiteral("log.txt"))) << '\n';
        return 2;
    }
    return 0;
}

}  // namespace kestrova::batch
