// The road overview pictures on a hand-built road: the minimum line, a red
// not-safe boundary and the cause band at known km+ and speed positions; the
// per-column drawing shows the same extremes as the exact one; the batch
// program writes the pictures at the asked size and a well-formed SVG.
#include "render/plan_map_view.h"
#include "render/speed_profile_view.h"
#include "test_support.h"
#include "view_model.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QSvgGenerator>
#include <QXmlStreamReader>

#include <random>

namespace kestrova {
namespace {

// Eleven profiles 10 m apart: free 100, forward minimum 80 (free speed as the
// cause) but 40 from a curve on profiles 4 to 6, reverse minimum 90; the
// pivot has a not-safe forward boundary at 40 m and a safe one at 70 m.
tRoadModel SpeedRoad() {
    tRoadModel m = test::MakeRoad(11, 10);
    for (int i = 0; i < 11; ++i) {
        tPlanProfile& p = m.Plan.Profiles[size_t(i)];
        p.FreeV = 100;
        p.CurveV = (i >= 4 && i <= 6) ? 40 : 100;
        p.MinV[DirFwd] = p.CurveV < 80 ? p.CurveV : 80;
        p.Cause[DirFwd] = p.CurveV < 80 ? 1 : 0;
        p.MinV[DirRev] = 90;
        p.Cause[DirRev] = 0;
    }
    auto row = [](double a, double b, int first, int last, int fwd) {
        tPivotRow r;
        r.KmBeg = a;
        r.KmEnd = b;
        r.FirstIndex = first;
        r.LastIndex = last;
        r.ResumeFwd = fwd;
        return r;
    };
    m.Pivot.Rows = {row(0, 40, 0, 4, 0), row(40, 70, 4, 7, -1), row(70, 100, 7, 10, 1)};
    return m;
}

struct tDrawn {
    QImage Image;
    tSpeedProfileLayout Layout;
};

tDrawn Draw(const tRoadModel& m, const tSpeedProfileOptions& o, QSize size = {600, 400}) {
    tDrawn d;
    d.Image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&d.Image);
    d.Layout = PaintSpeedProfile(painter, d.Image.rect(), m, o);
    return d;
}

QColor At(const QImage& img, double x, double y) { return img.pixelColor(int(std::floor(x)), int(std::lround(y))); }

TEST(SpeedProfile, DrawsTheMinimumNotSafeMarkAndCauseBandWhereTheyBelong) {
    const tRoadModel m = SpeedRoad();
    tSpeedProfileOptions o;
    o.Detail = tOverviewDetail::Exact;
    const tDrawn d = Draw(m, o);
    const tSpeedProfileLayout& L = d.Layout;
    struct Case {
        const char* What;
        double Km;
        double Y;
        QColor Expected;
    };
    const Case cases[] = {
        {"forward minimum before the curve", 15, L.YOfSpeed(80), kOverviewMinFwd},
        {"forward minimum in the curve", 55, L.YOfSpeed(40), kOverviewMinFwd},
        {"forward minimum after the curve", 85, L.YOfSpeed(80), kOverviewMinFwd},
        {"reverse minimum", 25, L.YOfSpeed(90), kOverviewMinRev},
        {"free speed", 25, L.YOfSpeed(100), kOverviewFree},
        {"not-safe boundary", 40, L.YOfSpeed(20), kOverviewNotSafe},
        {"forward band in the curve", 55, double(L.BandFwd.center().y()), CauseColor(1)},
        {"forward band on the straight", 15, double(L.BandFwd.center().y()), CauseColor(0)},
        {"reverse band", 55, double(L.BandRev.center().y()), CauseColor(0)},
        {"background above the curve minimum", 53, L.YOfSpeed(63), o.Background},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(At(d.Image, L.XOfKm(c.Km), c.Y), c.Expected);
    }
    EXPECT_NE(At(d.Image, L.XOfKm(70), L.YOfSpeed(20)), kOverviewNotSafe);  // the safe boundary
}

// The texts an SVG drawing of the diagram writes, in drawing order.
QStringList DrawnTexts(const tRoadModel& m, const tSpeedProfileOptions& o) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(900, 400));
    {
        QPainter painter(&svg);
        PaintSpeedProfile(painter, QRect(0, 0, 900, 400), m, o);
    }
    QStringList texts;
    QXmlStreamReader xml(buffer.data());
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return texts;
}

TEST(SpeedProfile, LegendNamesTheCausesUnderTheirOwnHeading) {
    tRoadModel m = SpeedRoad();
    m.Plan.Profiles[2].IsLocality = 1;
    tSpeedProfileOptions o;
    o.Texts.CauseHeading = QStringLiteral("Causes here");
    const QStringList texts = DrawnTexts(m, o);
    ASSERT_EQ(texts.count(o.Texts.CauseHeading), 1) << texts.join(QLatin1Char('|')).toStdString();
    const int heading = int(texts.indexOf(o.Texts.CauseHeading));
    const QStringList lines = texts.mid(0, heading), causes = texts.mid(heading + 1);
    EXPECT_TRUE(lines.contains(o.Texts.Free));
    EXPECT_TRUE(lines.contains(o.Texts.Locality));
    EXPECT_TRUE(causes.contains(o.Texts.CauseText(0)));
    EXPECT_TRUE(causes.contains(o.Texts.CauseText(1)));
    EXPECT_FALSE(causes.contains(o.Texts.Locality));  // no profile has the locality as its cause
}

TEST(SpeedProfile, ChosenFactorIsDrawnAndHitTestFindsTheProfile) {
    tRoadModel m = SpeedRoad();
    for (auto& p : m.Plan.Profiles) p.LookV[DirFwd] = 70;
    tSpeedProfileOptions o;
    o.Detail = tOverviewDetail::Exact;
    EXPECT_NE(At(Draw(m, o).Image, Draw(m, o).Layout.XOfKm(25), Draw(m, o).Layout.YOfSpeed(70)),
              FactorColor(FactorLookFwd));
    o.Factors = FactorBit(FactorLookFwd);
    const tDrawn d = Draw(m, o);
    EXPECT_EQ(At(d.Image, d.Layout.XOfKm(25), d.Layout.YOfSpeed(70)), FactorColor(FactorLookFwd));
    EXPECT_EQ(SpeedProfileProfileAt(m, d.Layout, d.Layout.XOfKm(55)), 5);
    EXPECT_EQ(SpeedProfileProfileAt(m, d.Layout, d.Layout.Plot.left() - 5), -1);
}

TEST(SpeedProfile, PerColumnDrawingShowsTheExtremesOfTheExactOne) {
    // 3,000 profiles 1 m apart under 560 pixels: several profiles per column.
    tRoadModel m = test::MakeRoad(3000, 1);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> speed(20, 120);
    for (auto& p : m.Plan.Profiles) p.MinV[DirFwd] = speed(rng);
    m.Plan.Profiles[1234].MinV[DirFwd] = 5;  // one sharp dip
    tSpeedProfileOptions o;
    o.ShowMinRev = o.ShowFree = o.ShowCauseBands = o.ShowPivot = o.ShowCrossRoads = o.ShowLocalities = o.ShowLegend =
        false;
    o.MaxSpeed = 130;
    o.Detail = tOverviewDetail::Exact;
    const tDrawn exact = Draw(m, o);
    o.Detail = tOverviewDetail::PerColumn;
    const tDrawn columns = Draw(m, o);
    const QRect P = exact.Layout.Plot;
    ASSERT_EQ(P, columns.Layout.Plot);
    auto extremes = [&](const QImage& img, int x, int& top, int& bottom) {
        top = -1;
        bottom = -1;
        for (int y = P.top(); y <= P.bottom() + 1; ++y)
            if (img.pixelColor(x, y) == kOverviewMinFwd) {
                if (top < 0) top = y;
                bottom = y;
            }
    };
    int dipColumns = 0;
    for (int x = P.left() + 1; x < P.right() - 1; ++x) {
        SCOPED_TRACE(x);
        int t1, b1, t2, b2;
        extremes(exact.Image, x, t1, b1);
        extremes(columns.Image, x, t2, b2);
        ASSERT_GE(t1, 0);
        EXPECT_EQ(t1, t2);
        EXPECT_EQ(b1, b2);
        if (b2 >= int(std::lround(exact.Layout.YOfSpeed(5)))) ++dipColumns;
    }
    EXPECT_GE(dipColumns, 1);  // the dip survives the thinning
}

// A road running east along record X: profiles 20 m apart, the first half
// slow (30 km/h), the second fast (110 km/h).
tRoadModel EastRoad() {
    tRoadModel m = test::MakeRoad(21, 20);
    for (int i = 0; i < 21; ++i) {
        tPlanProfile& p = m.Plan.Profiles[size_t(i)];
        p.KeyPoint0 = test::Pt(1000 + 20 * i, 5000, 0);
        p.MinV[0] = p.MinV[1] = i < 10 ? 30 : 110;
    }
    return m;
}

TEST(PlanMap, EastIsRightAndTheLineIsColouredBySpeed) {
    const tRoadModel m = EastRoad();
    tPlanMapOptions o;
    o.ShowLegend = o.ShowScaleBar = o.ShowNorthArrow = false;
    o.LineWidth = 5;
    QImage img(500, 300, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    const tPlanMapLayout L = PaintPlanMap(painter, img.rect(), m, o);
    painter.end();
    const QPointF first = L.ToPixel(1000, 5000), last = L.ToPixel(1400, 5000);
    EXPECT_LT(first.x(), last.x());
    EXPECT_NEAR(first.y(), last.y(), 0.5);
    EXPECT_LT(L.ToPixel(1000, 5100).y(), first.y());  // north is up
    const QPointF slow = L.ToPixel(1090, 5000), fast = L.ToPixel(1310, 5000);
    EXPECT_EQ(img.pixelColor(slow.toPoint()), SpeedScaleColor(30, L.SpeedMin, L.SpeedMax));
    EXPECT_EQ(img.pixelColor(fast.toPoint()), SpeedScaleColor(110, L.SpeedMin, L.SpeedMax));
    EXPECT_EQ(PlanMapProfileAt(m, L, L.ToPixel(1201, 5000)), 10);
}

// --- The batch program -------------------------------------------------------

QStringList ExampleRoad() {
    const QString dir = test::BinDir() + QStringLiteral("/examples/");
    return {QStringLiteral("--road"), dir + QStringLiteral("road.csv"), QStringLiteral("--crossroads"),
            dir + QStringLiteral("crossroads.csv")};
}

TEST(OverviewBatch, WritesPngOfTheAskedSizeAndWellFormedSvg) {
    if (!QFileInfo::exists(test::BinDir() + QStringLiteral("/examples/road.csv")))
        GTEST_SKIP() << "no example road next to the batch program";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        QStringList Args;
        QString File;
        QSize Size;
    };
    const Case cases[] = {
        {{"--view", "speed-profile", "--from", "1+000", "--to", "2500", "--factors", "curve,look-fwd", "--size",
          "640x320", "--png"},
         "sp.png", {640, 320}},
        {{"--view", "plan", "--colour-by", "verdict", "--size", "300x500", "--png"}, "plan.png", {300, 500}},
        {{"--view", "speed-profile", "--svg"}, "sp.svg", {}},
        {{"--view", "plan", "--from", "0", "--to", "1+500,50", "--svg"}, "plan.svg", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File.toStdString());
        const QString path = dir.filePath(c.File);
        const test::tBatchRun r = test::RunBatch(QStringLiteral("render"), ExampleRoad() + c.Args + QStringList{path});
        ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
        if (c.Size.isValid()) {
            EXPECT_EQ(QImage(path).size(), c.Size);
            continue;
        }
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&f);
        int elements = 0;
        QString root;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && elements++ == 0) root = xml.name().toString();
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_EQ(root, QStringLiteral("svg"));
        EXPECT_GT(elements, 20);
    }
}

TEST(OverviewBatch, RefusesWrongOptionsWithoutWriting) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("x.png"));
    const QStringList cases[] = {
        {"--view", "speed-profile", "--factors", "curve,wind", "--png", path},
        {"--view", "speed-profile", "--from", "1+0x0", "--to", "200", "--png", path},
        {"--view", "speed-profile", "--from", "500", "--to", "100", "--png", path},
        {"--view", "plan", "--png", path, "--svg", path},
        {"--view", "plan", "--factors", "curve", "--png", path},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const test::tBatchRun r = test::RunBatch(QStringLiteral("render"), ExampleRoad() + args);
        EXPECT_EQ(r.Exit, 1);
        EXPECT_FALSE(QFileInfo::exists(path));
    }
}

}  // namespace
}  // namespace kestrova
