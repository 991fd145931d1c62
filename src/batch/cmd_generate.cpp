// kestrova-batch generate: writes a generated road (road.csv, crossroads.csv,
// greens.csv and, with --xlsx, road.xlsx holding all three) into a folder.
#include "batch/batch_commands.h"

#include "core/generate/road_generator.h"
#include "core/model/road_text.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

namespace kestrova::batch {

namespace {

int Usage(const QString& problem) {
    QTextStream err(stderr);
    err << "kestrova-batch generate: " << problem << "\n"
        << "usage: kestrova-batch generate --km L --spacing S --seed N --out DIR [--xlsx]\n";
    return 1;
}

}  // namespace

int RunGenerate(const QStringList& args) {
    tGenerateOptions options;
    QString outDir;
    bool xlsx = false;
    bool haveKm = false, haveSpacing = false, haveSeed = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--xlsx")) {
            xlsx = true;
            continue;
        }
        const bool takesValue = a == QLatin1String("--km") || a == QLatin1String("--spacing") ||
                                a == QLatin1String("--seed") || a == QLatin1String("--out");
        if (!takesValue) return Usage(QStringLiteral("unknown argument \"%1\"").arg(a));
        if (i + 1 >= args.size()) return Usage(QStringLiteral("%1 needs a value").arg(a));
        const QString v = args[++i];
        bool ok = false;
        if (a == QLatin1String("--km")) {
            options.LengthKm = v.toDouble(&ok);
            if (!ok) return Usage(QStringLiteral("--km takes a number, not \"%1\"").arg(v));
            haveKm = true;
        } else if (a == QLatin1String("--spacing")) {
            options.SpacingM = v.toDouble(&ok);
            if (!ok) return Usage(QStringLiteral("--spacing takes a number, not \"%1\"").arg(v));
            haveSpacing = true;
        } else if (a == QLatin1String("--seed")) {
            options.Seed = v.toUInt(&ok);
            if (!ok) return Usage(QStringLiteral("--seed takes a whole number 0 to 4294967295, not \"%1\"").arg(v));
            haveSeed = true;
        } else {
            outDir = v;
            if (outDir.trimmed().isEmpty()) return Usage(QStringLiteral("--out needs a folder"));
        }
    }
    if (!haveKm) return Usage(QStringLiteral("--km is missing"));
    if (!haveSpacing) return Usage(QStringLiteral("--spacing is missing"));
    if (!haveSeed) return Usage(QStringLiteral("--seed is missing"));
    if (outDir.isEmpty()) return Usage(QStringLiteral("--out is missing"));
    const QString problem = CheckGenerateOptions(options);
    if (!problem.isEmpty()) return Usage(problem);

    QElapsedTimer timer;
    timer.start();
    const tGeneratedRoad road = GenerateRoad(options);
    QString error;
    if (!WriteGeneratedCsv(road, outDir, error) ||
        (xlsx && !WriteGeneratedXlsx(road, QDir(outDir).filePath(QStringLiteral("road.xlsx")), error))) {
        QTextStream(stderr) << "kestrova-batch generate: " << error << "\n";
        return 2;
    }
    QTextStream out(stdout);
    for (const tGeneratedStretch& st : road.Stretches)
        out << FormatKmPlus(false, st.Begin) << " - " << FormatKmPlus(false, st.End) << "  " << CategoryName(st.Category)
            << "  " << st.Description << "\n";
    out << "generated " << road.Road.Rows.size() << " profiles, "
                        << road.CrossRoads.Rows.size() << " crossroad points, " << road.Greens.Rows.size()
                        << " object points in " << timer.elapsed() << " ms\n";
    return 0;
}

}  // namespace kestrova::batch
