// kestrova-batch render --view speed-profile|plan: the road overview pictures
//   the import options, --view speed-profile|plan [--from KM --to KM]
//   [--factors LIST] [--colour-by min-speed|verdict] [--size WxH]
//   (--png FILE | --svg FILE)
// KM is metres ("12345.6") or km+ text ("12+345,60").
#include "batch/batch_commands.h"
#include "batch/import_options.h"

#include "core/app/language_engine.h"
#include "core/calc/calc_run.h"
#include "core/export/km_search.h"
#include "render/overview_export.h"
#include "render/plan_map_view.h"
#include "render/render_options.h"
#include "render/speed_profile_view.h"

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

namespace {

// The overview options as parsed.
struct tOverviewArgs {
    QString View, Png, Svg;
    bool HasPng = false;
    tKmRange Range;
    tFactorSet Factors = 0;
    tMapColouring Colouring = tMapColouring::MinSpeed;
    QSize Size = QSize(1600, 800);
};

// The options after the import options; false with the reason in error.
bool ParseOverviewArgs(QStringList& args, tOverviewArgs& out, QString& error) {
    QString from, to, factors, colour, size;
    bool hasView = false, hasFrom = false, hasTo = false, hasFactors = false, hasColour = false, hasSize = false,
         hasSvg = false;
    if (!TakeValue(args, QStringLiteral("--view"), out.View, hasView, error) ||
        !TakeValue(args, QStringLiteral("--from"), from, hasFrom, error) ||
        !TakeValue(args, QStringLiteral("--to"), to, hasTo, error) ||
        !TakeValue(args, QStringLiteral("--factors"), factors, hasFactors, error) ||
        !TakeValue(args, QStringLiteral("--colour-by"), colour, hasColour, error) ||
        !TakeValue(args, QStringLiteral("--size"), size, hasSize, error) ||
        !TakeValue(args, QStringLiteral("--png"), out.Png, out.HasPng, error) ||
        !TakeValue(args, QStringLiteral("--svg"), out.Svg, hasSvg, error))
        return false;
    const auto fail = [&](const QString& why) {
        error = why;
        return false;
    };
    if (!args.isEmpty()) return fail(QStringLiteral("unknown argument ") + args.first());
    const bool isPlan = out.View == QStringLiteral("plan");
    if (out.HasPng == hasSvg) return fail(QStringLiteral("give one of --png FILE and --svg FILE"));
    if (hasFrom != hasTo) return fail(QStringLiteral("--from and --to go together"));
    if (hasFrom) {
        if (!ParseKmArgument(from, out.Range.FromM)) return fail(QStringLiteral("--from must be metres or km+: ") + from);
        if (!ParseKmArgument(to, out.Range.ToM)) return fail(QStringLiteral("--to must be metres or km+: ") + to);
        if (!(out.Range.ToM > out.Range.FromM)) return fail(QStringLiteral("--to must lie beyond --from"));
    }
    if (hasFactors) {
        if (isPlan) return fail(QStringLiteral("--factors belongs to the speed-profile view"));
        QString bad;
        if (!ParseFactorList(factors, out.Factors, &bad)) return fail(QStringLiteral("unknown factor ") + bad);
    }
    if (hasColour) {
        if (!isPlan) return fail(QStringLiteral("--colour-by belongs to the plan view"));
        if (colour == QStringLiteral("verdict"))
            out.Colouring = tMapColouring::Verdict;
        else if (colour != QStringLiteral("min-speed"))
            return fail(QStringLiteral("--colour-by must be min-speed or verdict"));
    }
    if (hasSize && !ParsePictureSize(size, out.Size))
        return fail(QStringLiteral("--size must be WxH, each from 16 to 10000 pixels"));
    return true;
}

// The painting of the chosen view over the calculated road.
tOverviewPaint OverviewPaint(const tRoadModel& model, const tOverviewArgs& a, const tOverviewTexts& texts) {
    if (a.View == QStringLiteral("plan")) {
        tPlanMapOptions o;
        o.Range = a.Range;
        o.Colouring = a.Colouring;
        o.Texts = texts;
        return [&model, o](QPainter& p, const QRect& area) { PaintPlanMap(p, area, model, o); };
    }
    tSpeedProfileOptions o;
    o.Range = a.Range;
    o.Factors = a.Factors;
    o.Texts = texts;
    return [&model, o](QPainter& p, const QRect& area) { PaintSpeedProfile(p, area, model, o); };
}

}  // namespace

int RunRenderOverview(const QStringList& arguments) {
    QStringList args = arguments;
    tImportOptions imports;
    QString error;
    if (!TakeImportOptions(args, imports, error)) return Usage(error);
    tOverviewArgs a;
    if (!ParseOverviewArgs(args, a, error)) return Usage(error);

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

    const tOverviewPaint paint = OverviewPaint(model, a, overviewTexts);
    const bool ok = a.HasPng ? WriteOverviewPng(a.Png, a.Size, paint, &error)
                             : WriteOverviewSvg(a.Svg, a.Size, QStringLiteral("Kestrova ") + a.View, paint, &error);
    if (!ok) {
        QTextStream(stderr) << "kestrova-batch render: " << error << '\n';
        return 2;
    }
    return 0;
}

}  // namespace kestrova::batch
