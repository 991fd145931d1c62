// kestrova-batch report: imports the tables, runs the calculation and writes
// the safety report as a PDF document:
//   the import options, --pdf FILE [--km-per-page N] [--views]
#include "batch/batch_commands.h"
#include "batch/import_options.h"

#include "core/app/language_engine.h"
#include "core/calc/calc_run.h"
#include "render/report/safety_report.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

namespace kestrova::batch {

namespace {

QString ReportUsage() {
    return QStringLiteral("usage: kestrova-batch report\n") + ImportOptionsUsage() +
           QStringLiteral("  --pdf FILE [--km-per-page N] [--views]\n");
}

// The table as the title page names it: the file, or the road workbook's sheet.
QString TableText(const tImportOptions& o, const QString& file, const std::optional<tSheetChoice>& choice,
                  TLanguageEngine& language) {
    if (!choice) return QString();
    if (*choice == tSheetChoice::SeparateFile) return file;
    const QString sheet = *choice == tSheetChoice::SecondSheet ? QStringLiteral("2") : QStringLiteral("3");
    return language.GetSectionText(ReportSection(), QStringLiteral("SheetOf"))
        .replace(QStringLiteral("%FileName%"), QFileInfo(o.Road).fileName())
        .replace(QStringLiteral("%Sheet%"), sheet);
}

}  // namespace

int RunReport(const QStringList& arguments) {
    QStringList args = arguments;
    tImportOptions imports;
    QString error, pdf, perPage;
    bool hasPdf = false, hasPerPage = false;
    bool ok = TakeImportOptions(args, imports, error) &&
              TakeValue(args, QStringLiteral("--pdf"), pdf, hasPdf, error) &&
              TakeValue(args, QStringLiteral("--km-per-page"), perPage, hasPerPage, error);
    const bool views = args.removeAll(QStringLiteral("--views")) > 0;
    ok = ok && CheckArgumentsDone(args, QStringLiteral("--pdf"), hasPdf, error);
    double km = 2;
    if (ok && hasPerPage) {
        bool number = false;
        km = QString(perPage).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&number);
        if (!number || !(km >= 0.1 && km <= 1000)) {
            error = QStringLiteral("--km-per-page must be a number of kilometres from 0.1 to 1000");
            ok = false;
        }
    }
    if (!ok) {
        QTextStream(stderr) << "kestrova-batch report: " << error << '\n' << ReportUsage();
        return 1;
    }

    tRoadModel model;
    const int imported = RunImports(imports, model);
    if (imported != 0) return imported;
    RunCalculation(model, tProgress{});

    std::optional<TLanguageEngine> loaded = LoadBatchLanguage(imports, QStringLiteral("report"));
    if (!loaded) return 2;
    TLanguageEngine& language = *loaded;
    tReportOptions options;
    options.RoadFile = imports.Road;
    options.CrossRoadsFile = TableText(imports, imports.CrossFile, imports.Cross, language);
    options.GreensFile = TableText(imports, imports.GreensFile, imports.Greens, language);
    options.MetresPerPage = km * 1000;
    options.Views = views;
    options.Lookup = [&language](const QString& section, const QString& key) {
        return language.GetSectionText(section, key);
    };
    options.ViewTexts = TextsFromEngine(language);
    options.DecimalSeparator = QLocale().decimalPoint();

    QElapsedTimer timer;
    timer.start();
    const tReportResult result = WriteSafetyReport(pdf, model, options);
    if (!result.Ok) {
        QTextStream(stderr) << "kestrova-batch report: " << result.Error << '\n';
        return 2;
    }
    QTextStream(stdout) << QDir::toNativeSeparators(pdf) << ": " << result.Pages << " pages in "
                        << QString::number(timer.elapsed() / 1000.0, 'f', 2) << " s\n";
    return 0;
}

}  // namespace kestrova::batch
