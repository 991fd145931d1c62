// kestrova-batch render --view speed-profile|plan: the road overview pictures
//   the import options, --view speed-profile|plan [--from KM --to KM]
//   [--factors LIST] [--colour-by min-speed|verdict] [--size WxH]
//   (--png FILE | --svg FILE)
// KM is metres ("12345.6") or km+ text ("12+345,60").
#include "batch_commands.h"
#include "import_options.h"

#include "app/language_engine.h"
#include "calc/calc_run.h"
#include "export/km_search.h"
#include "overview_export.h"
#include "plan_map_view.h"
#include "render_options.h"
#include "speed_profile_view.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextStream>

#include <cmath>

namespace kestrova::batch {

namespace {

QString OverviewUsage() {
    return QStringLiteral("usage: kestrova-batch render\n") + ImportOptionsUsage() +
           QStringLiteral("  --view speed-profile|plan [--from KM --to KM] [--factors LIST]\n"
                          "  [--colour-by min-speed|verdict] [--size WxH] (--png FILE | --svg FILE)\n"
                          "  KM: metres or km+ (12+345,60); LIST: comma-separated of\n  ") +
           FactorListText(~tFactorSet(0) & ((tFactorSet(1) << kSpeedFactorCount) - 1)) + QLatin1Char('\n');
}

int Usage(const QString& error) {
    QTextStream(stderr) << "kestrova-batch render: " << error << '\n' << OverviewUsage();
    return 1;
}

}  // namespace

bool ParseKmArgument(const QString& text, double& metres) {
    const QString t = text.trimmed();
    if (t.contains(QLatin1Char('+'))) return ParseSearchKmPlus(t, metres);
    static const QRegularExpression number(QStringLiteral("^-?\\d+([.,]\\d*)?$"));
    if (!number.match(t).hasMatch()) return false;
    bool ok = false;
    metres = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(metres);
}

bool IsOverviewView(const QStringList& args) {
    const int i = args.indexOf(QStringLiteral("--view"));
    if (i < 0 || i + 1 >= args.size()) return false;
    return args[i + 1] == QStringLiteral("speed-profile") || args[i + 1] == QStringLiteral("plan");
}

int RunRenderOverview(const QStringList& arguments) {
    QStringList args = arguments;
    tImportOptions imports;
    QString error;
    if (!TakeImportOptions(args, imports, error)) return Usage(error);
    QString view, from, to, factors, colour, size, png, svg;
    bool hasView = false, hasFrom = false, hasTo = false, hasFactors = false, hasColour = false, hasSize = false,
         hasPng = false, hasSvg = false;
    if (!TakeValue(args, QStringLiteral("--view"), view, hasView, error) ||
        !TakeValue(args, QStringLiteral("--from"), from, hasFrom, error) ||
        !TakeValue(args, QStringLiteral("--to"), to, hasTo, error) ||
        !TakeValue(args, QStringLiteral("--factors"), factors, hasFactors, error) ||
        !TakeValue(args, QStringLiteral("--colour-by"), colour, hasColour, error) ||
        !TakeValue(args, QStringLiteral("--size"), size, hasSize, error) ||
        !TakeValue(args, QStringLiteral("--png"), png, hasPng, error) ||
        !TakeValue(args, QStringLiteral("--svg"), svg, hasSvg, error))
        return Usage(error);
    if (!args.isEmpty()) return Usage(QStringLiteral("unknown argument ") + args.first());
    const bool isPlan = view == QStringLiteral("plan");
    if (hasPng == hasSvg) return Usage(QStringLiteral("give one of --png FILE and --svg FILE"));
    if (hasFrom != hasTo) return Usage(QStringLiteral("--from and --to go together"));
    tKmRange range;
    if (hasFrom) {
        if (!ParseKmArgument(from, range.FromM)) return Usage(QStringLiteral("--from must be metres or km+: ") + from);
        if (!ParseKmArgument(to, range.ToM)) return Usage(QStringLiteral("--to must be metres or km+: ") + to);
        if (!(range.ToM > range.FromM)) return Usage(QStringLiteral("--to must lie beyond --from"));
    }
    tFactorSet factorSet = 0;
    if (hasFactors) {
        if (isPlan) return Usage(QStringLiteral("--factors belongs to the speed-profile view"));
        QString bad;
        if (!ParseFactorList(factors, factorSet, &bad)) return Usage(QStringLiteral("unknown factor ") + bad);
    }
    tMapColouring colouring = tMapColouring::MinSpeed;
    if (hasColour) {
        if (!isPlan) return Usage(QStringLiteral("--colour-by belongs to the plan view"));
        if (colour == QStringLiteral("verdict"))
            colouring = tMapColouring::Verdict;
        else if (colour != QStringLiteral("min-speed"))
            return Usage(QStringLiteral("--colour-by must be min-speed or verdict"));
    }
    QSize pictureSize(1600, 800);
    if (hasSize) {
        const auto match = QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(size);
        const int w = match.hasMatch() ? match.captured(1).toInt() : 0;
        const int h = match.hasMatch() ? match.captured(2).toInt() : 0;
        if (w < 16 || h < 16 || w > 10000 || h > 10000)
            return Usage(QStringLiteral("--size must be WxH, each from 16 to 10000 pixels"));
        pictureSize = QSize(w, h);
    }

    tRoadModel model;
    const int imported = RunImports(imports, model);
    if (imported != 0) return imported;
    RunCalculation(model, tProgress{});

    std::optional<TLanguageEngine> loaded = LoadBatchLanguage(imports, QStringLiteral("render"));
    if (!loaded) return 2;
    TLanguageEngine& language = *loaded;
    const tViewTexts texts = TextsFromEngine(language);
    const tOverviewTexts overviewTexts =
        OverviewTextsFrom([&](const QString& s, const QString& k) { return texts.GetSectionText(s, k); });

    tOverviewPaint paint;
    if (isPlan) {
        tPlanMapOptions o;
        o.Range = range;
        o.Colouring = colouring;
        o.Texts = overviewTexts;
        paint = [&model, o](QPainter& p, const QRect& area) { PaintPlanMap(p, area, model, o); };
    } else {
        tSpeedProfileOptions o;
        o.Range = range;
        o.Factors = factorSet;
        o.Texts = overviewTexts;
        paint = [&model, o](QPainter& p, const QRect& area) { PaintSpeedProfile(p, area, model, o); };
    }
    const bool ok = hasPng ? WriteOverviewPng(png, pictureSize, paint, &error)
                           : WriteOverviewSvg(svg, pictureSize, QStringLiteral("Kestrova ") + view, paint, &error);
    if (!ok) {
        QTextStream(stderr) << "kestrova-batch render: " << error << '\n';
        return 2;
    }
    return 0;
}

}  // namespace kestrova::batch
