// kestrova-batch export-gis: imports the tables, runs the calculation and
// writes the results as GIS layers:
//   <import options> --out FILE.gpkg|FILE.geojson [--crs EPSG:NNNN] [--layers LIST]
// LIST is comma-separated (profiles, segments, crossroads, sight_hidden,
// objects); a GeoJSON file takes one layer, "segments" unless named.
// Prints one line per written layer with its feature count; on failure the
// message in the chosen language goes to stderr.
#include "batch/batch_commands.h"
#include "batch/import_options.h"

#include "core/app/language_engine.h"
#include "core/calc/calc_run.h"
#include "core/export/gis_writer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

namespace kestrova::batch {

namespace {

QString ExportGisUsage() {
    return QStringLiteral("usage: kestrova-batch export-gis\n") + ImportOptionsUsage() +
           QStringLiteral("  --out FILE.gpkg|FILE.geojson [--crs EPSG:NNNN] [--layers LIST]\n");
}

// The message text with its placeholders, from the export's own section.
QString GisText(TLanguageEngine& language, const tMessage& message) {
    for (const auto& [name, value] : message.Placeholders) language.SetPlaceholder(name, value);
    QString text = language.GetSectionText(GisTextSection(), message.Key);
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

}  // namespace

int RunExportGis(const QStringList& arguments) {
    QStringList args = arguments;
    tImportOptions options;
    QString error, out, crs, layers;
    bool hasOut = false, hasCrs = false, hasLayers = false;
    bool ok = TakeImportOptions(args, options, error) && TakeValue(args, QStringLiteral("--out"), out, hasOut, error) &&
              TakeValue(args, QStringLiteral("--crs"), crs, hasCrs, error) &&
              TakeValue(args, QStringLiteral("--layers"), layers, hasLayers, error);
    ok = ok && CheckArgumentsDone(args, QStringLiteral("--out"), hasOut, error);
    if (!ok) {
        QTextStream(stderr) << "kestrova-batch export-gis: " << error << '\n' << ExportGisUsage();
        return 1;
    }
    std::optional<TLanguageEngine> loaded = LoadBatchLanguage(options, QStringLiteral("export-gis"));
    if (!loaded) return 2;
    TLanguageEngine& language = *loaded;

    tRoadModel model;
    const int imported = RunImports(options, model);
    if (imported != 0) return imported;
    RunCalculation(model, tProgress());

    tGisRequest request;
    request.FileName = out;
    request.Crs = crs;
    if (hasLayers) request.Layers = layers.split(QLatin1Char(','), Qt::SkipEmptyParts);
    const tSectionLookup lookup = [&language](const QString& section, const QString& key) {
        return language.GetSectionText(section, key);
    };
    QElapsedTimer timer;
    timer.start();
    const tGisResult result = WriteGis(model, lookup, request);
    const qint64 ms = timer.elapsed();
    const QString text = GisText(language, GisResultMessage(result, QDir::toNativeSeparators(out)));
    if (!result.Ok()) {
        QTextStream(stderr) << text << '\n';
        return 2;
    }
    QTextStream stream(stdout);
    for (const auto& [name, count] : result.Counts) stream << name << ' ' << count << '\n';
    stream << "written in " << ms << " ms\n";
    // Without a coordinate system the file is still written; the user is told.
    if (result.Status == tGisStatus::WrittenWithoutCrs) QTextStream(stderr) << text << '\n';
    return 0;
}

}  // namespace kestrova::batch
