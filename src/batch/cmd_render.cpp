// kestrova-batch render: imports the tables, runs the calculation and writes
// the picture one of the drawn views would show at the given size:
//   the import options, --view forward|backward|cross-profile|crossroads
//   --profile I [--crossroad C --direction fwd|rev] [--look-height 0..3]
//   [--no-look-lines] [--crop-30m] [--size WxH] [--ppi N] --png FILE
// or, for the road overview, --view speed-profile|plan (cmd_render_overview.cpp).
#include "batch/batch_commands.h"
#include "batch/import_options.h"

#include "core/app/language_engine.h"
#include "core/calc/calc_run.h"
#include "render/cross_profile_view.h"
#include "render/crossroads_view.h"
#include "render/road_view.h"

#include <QDir>
#include <QSaveFile>
#include <QTextStream>

namespace kestrova::batch {

namespace {

QString RenderUsage() {
    return QStringLiteral("usage: kestrova-batch render\n") + ImportOptionsUsage() +
           QStringLiteral("  --view forward|backward|cross-profile|crossroads --profile I\n"
                          "  [--crossroad C --direction fwd|rev] [--look-height 0..3] [--no-look-lines]\n"
                          "  [--crop-30m] [--size WxH] [--ppi N] --png FILE\n"
                          "  or --view speed-profile|plan [--from KM --to KM] [--factors LIST]\n"
                          "  [--colour-by min-speed|verdict] [--size WxH] (--png FILE | --svg FILE)\n");
}

bool TakeFlag(QStringList& args, const QString& name) { return args.removeAll(name) > 0; }

bool ParseInt(const QString& text, int low, int high, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= low && value <= high;
}

struct tRenderArgs {
    tViewOptions View;
    QString Png;
    bool ProfileGiven = false;
};

bool ParseViewKind(const QString& view, tViewKind& kind, QString& error) {
    if (view == QStringLiteral("forward"))
        kind = tViewKind::Forward;
    else if (view == QStringLiteral("backward"))
        kind = tViewKind::Backward;
    else if (view == QStringLiteral("cross-profile"))
        kind = tViewKind::CrossProfile;
    else if (view == QStringLiteral("crossroads"))
        kind = tViewKind::CrossRoads;
    else {
        error = QStringLiteral("--view must be forward, backward, cross-profile, crossroads, speed-profile or plan");
        return false;
    }
    return true;
}

// The values of the render options, as given.
struct tRenderValues {
    QString View, Profile, CrossRoad, Direction, Look, Size, Ppi;
    bool HasView = false, HasProfile = false, HasCross = false, HasDir = false, HasLook = false, HasSize = false,
         HasPpi = false, HasPng = false;
};

bool TakeRenderValues(QStringList& args, tRenderValues& v, QString& png, QString& error) {
    return TakeValue(args, QStringLiteral("--view"), v.View, v.HasView, error) &&
           TakeValue(args, QStringLiteral("--profile"), v.Profile, v.HasProfile, error) &&
           TakeValue(args, QStringLiteral("--crossroad"), v.CrossRoad, v.HasCross, error) &&
           TakeValue(args, QStringLiteral("--direction"), v.Direction, v.HasDir, error) &&
           TakeValue(args, QStringLiteral("--look-height"), v.Look, v.HasLook, error) &&
           TakeValue(args, QStringLiteral("--size"), v.Size, v.HasSize, error) &&
           TakeValue(args, QStringLiteral("--ppi"), v.Ppi, v.HasPpi, error) &&
           TakeValue(args, QStringLiteral("--png"), png, v.HasPng, error);
}

// --crossroad and --direction: required by the crossroads view, refused by the others.
bool ParseCrossRoadChoice(const tRenderValues& v, tViewOptions& o, QString& error) {
    if (o.View != tViewKind::CrossRoads) {
        if (!v.HasCross && !v.HasDir) return true;
        error = QStringLiteral("--crossroad and --direction belong to the crossroads view");
        return false;
    }
    if (!v.HasCross || !ParseInt(v.CrossRoad, 0, 1000000, o.CrossRoad)) {
        error = QStringLiteral("the crossroads view needs --crossroad C, an index from 0");
        return false;
    }
    if (!v.HasDir || (v.Direction != QStringLiteral("fwd") && v.Direction != QStringLiteral("rev"))) {
        error = QStringLiteral("the crossroads view needs --direction fwd or rev");
        return false;
    }
    o.Direction = v.Direction == QStringLiteral("fwd") ? DirFwd : DirRev;
    return true;
}

// --look-height, --size and --ppi.
bool ParsePictureOptions(const tRenderValues& v, tViewOptions& o, QString& error) {
    if (v.HasLook && !ParseInt(v.Look, 0, 3, o.LookHeight)) {
        error = QStringLiteral("--look-height must be 0, 1, 2 or 3");
        return false;
    }
    if (v.HasSize && !ParsePictureSize(v.Size, o.Target.Size)) {
        error = QStringLiteral("--size must be WxH, each from 16 to 10000 pixels");
        return false;
    }
    if (v.HasPpi && !ParseInt(v.Ppi, 24, 1200, o.Target.PixelsPerInch)) {
        error = QStringLiteral("--ppi must be from 24 to 1200");
        return false;
    }
    return true;
}

bool ParseRenderArgs(QStringList& args, tRenderArgs& out, QString& error) {
    tRenderValues v;
    if (!TakeRenderValues(args, v, out.Png, error)) return false;
    tViewOptions& o = out.View;
    o.DrawLookLines = !TakeFlag(args, QStringLiteral("--no-look-lines"));
    o.Crop30m = TakeFlag(args, QStringLiteral("--crop-30m"));
    if (!args.isEmpty()) {
        error = QStringLiteral("unknown argument ") + args.first();
        return false;
    }
    if (!v.HasView) {
        error = QStringLiteral("--view is missing");
        return false;
    }
    if (!ParseViewKind(v.View, o.View, error)) return false;
    if (!v.HasPng) {
        error = QStringLiteral("--png is missing");
        return false;
    }
    if (!v.HasProfile && o.View != tViewKind::CrossRoads) {
        error = QStringLiteral("--profile is missing");
        return false;
    }
    o.Profile = -1;
    if (v.HasProfile && !ParseInt(v.Profile, 0, 199999, o.Profile)) {
        error = QStringLiteral("--profile must be a profile index from 0");
        return false;
    }
    out.ProfileGiven = v.HasProfile;
    return ParseCrossRoadChoice(v, o, error) && ParsePictureOptions(v, o, error);
}

int Fail(const QString& text) {
    QTextStream(stderr) << "kestrova-batch render: " << text << '\n';
    return 2;
}

// Writes the picture through a temporary file, so a failed write never leaves
// a partial PNG behind.
bool WritePng(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

int RunRender(const QStringList& arguments) {
    if (IsOverviewView(arguments)) return RunRenderOverview(arguments);
    QStringList args = arguments;
    tImportOptions imports;
    tRenderArgs render;
    QString error;
    if (!TakeImportOptions(args, imports, error) || !ParseRenderArgs(args, render, error)) {
        QTextStream(stderr) << "kestrova-batch render: " << error << '\n' << RenderUsage();
        return 1;
    }

    tRoadModel model;
    const int imported = RunImports(imports, model);
    if (imported != 0) return imported;
    tViewOptions& o = render.View;
    // What the tables alone decide is checked before the calculation runs.
    const int n = model.Plan.Count();
    if (render.ProfileGiven && o.Profile >= n)
        return Fail(QStringLiteral("--profile %1 is out of range: the road has profiles 0 to %2").arg(o.Profile).arg(n - 1));
    if (o.View == tViewKind::CrossRoads && o.CrossRoad >= model.CrossRoads.Count())
        return Fail(model.CrossRoads.Count() == 0
                        ? QStringLiteral("no crossroads were loaded")
                        : QStringLiteral("--crossroad %1 is out of range: the table has crossroads 0 to %2")
                              .arg(o.CrossRoad)
                              .arg(model.CrossRoads.Count() - 1));
    RunCalculation(model, tProgress{});

    std::optional<TLanguageEngine> loaded = LoadBatchLanguage(imports, QStringLiteral("render"));
    if (!loaded) return 2;
    TLanguageEngine& language = *loaded;
    o.Texts = TextsFromEngine(language);

    QImage image;
    switch (o.View) {
        case tViewKind::Forward:
        case tViewKind::Backward: {
            T3DData d3;
            T2DData d2;
            DrawRoadView(model, o, d3, d2, image);
            break;
        }
        case tViewKind::CrossProfile: {
            tProfileData data;
            DrawCrossProfile(model, o, data, image);
            break;
        }
        case tViewKind::CrossRoads: {
            tCrossRoadsListState state;
            const tCrossRoadSelection sel = SelectCrossRoad(model, o.CrossRoad, o.Direction, -1, state);
            if (!sel.Ok) return Fail(QStringLiteral("crossroad %1 takes no part (SKIP)").arg(o.CrossRoad));
            if (sel.Direction != o.Direction || sel.Rows.empty())
                return Fail(QStringLiteral("crossroad %1 has no approach profiles in that direction").arg(o.CrossRoad));
            Tx2Ddata data;
            if (!DrawCrossRoadsView(model, o, data, image))
                return Fail(QStringLiteral("--profile %1 is no approach profile of crossroad %2 in that direction "
                                           "(profiles %3 to %4)")
                                .arg(o.Profile)
                                .arg(o.CrossRoad)
                                .arg(sel.Rows.front().Profile)
                                .arg(sel.Rows.back().Profile));
            break;
        }
    }
    if (!WritePng(image, render.Png))
        return Fail(QStringLiteral("cannot write ") + QDir::toNativeSeparators(render.Png));
    return 0;
}

}  // namespace kestrova::batch
