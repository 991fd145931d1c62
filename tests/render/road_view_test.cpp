#include "render/road_view.h"

#include "view_model.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cmath>

namespace kestrova {
namespace {

using test::CountColour;
using test::MakeRoad;

const QColor kRed(255, 17, 17);

tViewOptions Options(tViewKind view, int profile, QSize size = QSize(640, 480)) {
    tViewOptions o;
    o.View = view;
    o.Profile = profile;
    o.Target.Size = size;
    return o;
}

// A bump of `top` metres centred on profile `at`, falling 1 m per profile.
std::function<double(int)> Bump(int at, double top) {
    return [=](int i) { return std::max(0.0, top - std::abs(i - at) * 1.0); };
}

// The buffers a drawing fills, kept by the caller between drawings as the
// window keeps them.
class RoadView : public ::testing::Test {
protected:
    T3DData d3;
    T2DData d2;
    QImage img;
};

TEST_F(RoadView, FrameOnWhite) {
    tRoadModel m = MakeRoad(30, 20);
    const auto r = DrawRoadView(m, Options(tViewKind::Forward, 0), d3, d2, img);
    ASSERT_EQ(r.Outcome, tDrawOutcome::Drawn);
    EXPECT_EQ(img.size(), QSize(640, 480));
    const int mg = 16;  // round(96 / 6)
    EXPECT_EQ(img.pixel(0, 0), QColor(Qt::white).rgb());
    EXPECT_EQ(img.pixel(mg - 1, 240), QColor(Qt::white).rgb());
    EXPECT_EQ(img.pixel(mg, 240), QColor(Qt::black).rgb());
    EXPECT_EQ(img.pixel(640 - mg - 1, 240), QColor(Qt::black).rgb());
    EXPECT_EQ(img.pixel(320, mg), QColor(Qt::black).rgb());
    EXPECT_EQ(img.pixel(320, 480 - mg - 1), QColor(Qt::black).rgb());
    EXPECT_EQ(img.pixel(639, 479), QColor(Qt::white).rgb());
    // Inside the frame above the picture it stays white.
    EXPECT_EQ(img.pixel(mg + 4, mg + 4), QColor(Qt::white).rgb());
}

TEST_F(RoadView, PixelsPerInchScalesTheMargin) {
    tRoadModel m = MakeRoad(30, 20);
    auto o = Options(tViewKind::Forward, 0);
    o.Target.PixelsPerInch = 192;  // margin 32, frame pen 2
    DrawRoadView(m, o, d3, d2, img);
    EXPECT_EQ(img.pixel(31, 240), QColor(Qt::white).rgb());
    EXPECT_EQ(img.pixel(32, 240), QColor(Qt::black).rgb());
}

struct WindowCase {
    tViewKind View;
    int Profile;
    tDrawOutcome Outcome;
    int Far;
};

TEST_F(RoadView, TooFewProfilesAtTheEnds) {
    const int n = 12;
    const WindowCase cases[] = {
        {tViewKind::Forward, n - 2, tDrawOutcome::TooFewProfiles, -1},
        {tViewKind::Forward, n - 1, tDrawOutcome::TooFewProfiles, -1},
        {tViewKind::Forward, n - 3, tDrawOutcome::Drawn, n - 1},
        {tViewKind::Backward, 0, tDrawOutcome::TooFewProfiles, -1},
        {tViewKind::Backward, 1, tDrawOutcome::TooFewProfiles, -1},
        {tViewKind::Backward, 2, tDrawOutcome::Drawn, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Profile);
        tRoadModel m = MakeRoad(n, 20);
        d3 = T3DData();  // fresh buffers for every case
        d2 = T2DData();
        img = QImage();
        auto o = Options(c.View, c.Profile);
        QStringList asked;
        o.Texts.Message = [&](const tMessage& msg) {
            asked << msg.Key;
            return QStringLiteral("WWWWWWWWWWWWWWWW");
        };
        const auto r = DrawRoadView(m, o, d3, d2, img);
        EXPECT_EQ(r.Outcome, c.Outcome);
        if (c.Outcome == tDrawOutcome::TooFewProfiles) {
            EXPECT_TRUE(asked.contains(QStringLiteral("Draw3D.TooFewProfiles")));
            // The message stands in the top-left corner of the frame; no road below it.
            EXPECT_GT(CountColour(img, Qt::black, QRect(32, 32, 200, 20)), 10);
            EXPECT_EQ(CountColour(img, Qt::black, QRect(17, 100, 606, 360)), 0);
        } else {
            EXPECT_EQ(r.Far, c.Far);
            EXPECT_EQ(d3.Count, 2);  // the window always spans two strips
        }
    }
}

TEST_F(RoadView, WindowFollowsTheLookDistance) {
    tRoadModel m = MakeRoad(40, 20);
    int far = 0;
    ASSERT_TRUE(RoadViewWindow(m.Plan, 5, true, far));
    EXPECT_EQ(far, 25);  // -1 falls back to 385 m: 380 < 385, 400 stops
    m.Plan.Profiles[5].FwdLookDist = 50;
    ASSERT_TRUE(RoadViewWindow(m.Plan, 5, true, far));
    EXPECT_EQ(far, 8);  // 40 and 60 m: moves up while below 50 m
    m.Plan.Profiles[5].FwdLookDist = 1;
    ASSERT_TRUE(RoadViewWindow(m.Plan, 5, true, far));
    EXPECT_EQ(far, 7);  // never fewer than two strips
    m.Plan.Profiles[30].RevLookDist = 100;
    ASSERT_TRUE(RoadViewWindow(m.Plan, 30, false, far));
    EXPECT_EQ(far, 25);
    // Before the look distances exist the forward rule with the plan's depth is used.
    m.Plan.LookDistancesReady = 0;
    ASSERT_TRUE(RoadViewWindow(m.Plan, 30, false, far));
    EXPECT_EQ(far, 39);
}

TEST_F(RoadView, LookLinesOnlyAddRedPixels) {
    tRoadModel m = MakeRoad(30, 20);
    QImage on, off;
    auto o = Options(tViewKind::Forward, 0);
    DrawRoadView(m, o, d3, d2, on);
    o.DrawLookLines = false;
    DrawRoadView(m, o, d3, d2, off);
    EXPECT_GT(CountColour(on, kRed), 50);
    EXPECT_EQ(CountColour(off, kRed), 0);
    int differing = 0;
    for (int y = 0; y < on.height(); ++y)
        for (int x = 0; x < on.width(); ++x)
            if (on.pixel(x, y) != off.pixel(x, y)) {
                ++differing;
                ASSERT_EQ(on.pixel(x, y), kRed.rgb()) << x << "," << y;
            }
    EXPECT_GT(differing, 0);
}

// Length of a look slot in model space (the camera only rotates and shifts).
double SlotLength(const T3DLook& l) {
    return std::sqrt(std::pow(l.End.X - l.Start.X, 2) + std::pow(l.End.Y - l.Start.Y, 2) +
                     std::pow(l.End.H - l.Start.H, 2));
}

TEST_F(RoadView, SightLinesStopWhereTheyEnterTheGround) {
    // A 6 m bump at profile 6 hides the road behind it from profile 0.
    tRoadModel m = MakeRoad(30, 20, Bump(6, 6));
    DrawRoadView(m, Options(tViewKind::Forward, 0), d3, d2, img);
    test::MaybeSave(img, QStringLiteral("road_bump"));
    int invisible = 0, cut = 0;
    for (int k = 0; k < d3.Count; ++k) {
        const auto& near = m.Plan.Profiles[k];
        const auto& far = m.Plan.Profiles[k + 1];
        for (const auto& l : d3.Strips[k].Look)
            if (!l.Visible) ++invisible;
        // Variant 1's sight and ground points are the ones left on the profiles.
        const bool above1 = near.SightPoint.H >= near.GroundPoint.H;
        const bool above2 = far.SightPoint.H >= far.GroundPoint.H;
        const double full = std::sqrt(std::pow(far.SightPoint.X - near.SightPoint.X, 2) +
                                      std::pow(far.SightPoint.Y - near.SightPoint.Y, 2) +
                                      std::pow(far.SightPoint.H - near.SightPoint.H, 2));
        const double drawn = SlotLength(d3.Strips[k].Look[1]);
        if (above1 != above2) {
            ++cut;
            EXPECT_LT(drawn, full - 1e-6) << "strip " << k;
        } else {
            EXPECT_NEAR(drawn, full, 1e-6) << "strip " << k;
        }
    }
    EXPECT_GT(invisible, 0);
    EXPECT_GT(cut, 0);
    // What remains above the ground is drawn in red, and only with look lines on.
    EXPECT_GT(CountColour(img, kRed), 20);
    auto off = Options(tViewKind::Forward, 0);
    off.DrawLookLines = false;
    DrawRoadView(m, off, d3, d2, img);
    EXPECT_EQ(CountColour(img, kRed), 0);

    // The same window on a flat road keeps every sight segment.
    tRoadModel flat = MakeRoad(30, 20);
    DrawRoadView(flat, Options(tViewKind::Forward, 0), d3, d2, img);
    for (int k = 0; k < d3.Count; ++k) EXPECT_TRUE(d3.Strips[k].Look[0].Visible && d3.Strips[k].Look[1].Visible);
}

TEST_F(RoadView, KindColoursOfCarriagewayAndObjects) {
    tRoadModel m = MakeRoad(30, 20);
    test::AddObject(m, 3, 8, true, 6, 0);
    test::AddObject(m, 12, 16, false, 8, 1);
    auto o = Options(tViewKind::Forward, 0, QSize(800, 600));
    o.DrawLookLines = false;
    ASSERT_EQ(DrawRoadView(m, o, d3, d2, img).Outcome, tDrawOutcome::Drawn);
    test::MaybeSave(img, QStringLiteral("road_objects"));
    EXPECT_GT(CountColour(img, QColor(0, 0, 0), QRect(40, 100, 720, 400)), 500);  // carriageway
    EXPECT_GT(CountColour(img, QColor(96, 96, 96)), 500);                         // terrain
    EXPECT_GT(CountColour(img, QColor(160, 160, 160)), 50);                       // shoulders
    EXPECT_GT(CountColour(img, QColor(16, 255, 0)), 200);                         // vegetation
    EXPECT_GT(CountColour(img, QColor(170, 170, 0)), 100);                        // building
    // The nearest carriageway lies at the bottom centre of the picture.
    int blackBelowCentre = 0;
    for (int x = 300; x < 500; ++x) blackBelowCentre += img.pixel(x, 600 - 3 * 16 - 20) == qRgb(0, 0, 0);
    EXPECT_GT(blackBelowCentre, 20);
    // Both boxes got their quads: sides, top and end faces.
    int layers[4] = {0, 0, 0, 0};
    for (int k = 0; k < d3.Count; ++k)
        for (int q = 0; q < d3.Strips[k].QuadCount; ++q) ++layers[d3.Strips[k].Quads[q].Layer];
    EXPECT_EQ(layers[1], 2 * (5 + 4));
    EXPECT_EQ(layers[2], 5 + 4);
    EXPECT_EQ(layers[3], 5 + 4);
}

TEST_F(RoadView, CaptionShrinksToFourAndNoFurther) {
    tRoadModel m = MakeRoad(30, 20);
    int last = 100;
    for (int w : {2000, 900, 600, 400, 250, 120}) {
        auto o = Options(tViewKind::Forward, 0, QSize(w, 400));
        o.Texts.Message = [](const tMessage&) { return QStringLiteral("Road segment shown in this picture"); };
        o.Texts.SectionText = [](const QString&, const QString&) { return QStringLiteral("km+"); };
        const auto r = DrawRoadView(m, o, d3, d2, img);
        EXPECT_LE(r.CaptionFontSize, last) << w;
        EXPECT_GE(r.CaptionFontSize, 4);
        EXPECT_TRUE(r.Caption.startsWith(QStringLiteral("Road segment shown in this picture km+ 0+000 - km+ 0+")));
        last = r.CaptionFontSize;
    }
    EXPECT_EQ(last, 4);
    auto o = Options(tViewKind::Forward, 0, QSize(2000, 400));
    EXPECT_EQ(DrawRoadView(m, o, d3, d2, img).CaptionFontSize, 10);
}

TEST_F(RoadView, BackwardViewLooksDownTheRoad) {
    tRoadModel m = MakeRoad(40, 20, Bump(20, 6));
    test::AddObject(m, 22, 26, true, 6, 0);
    const auto r = DrawRoadView(m, Options(tViewKind::Backward, 30), d3, d2, img);
    ASSERT_EQ(r.Outcome, tDrawOutcome::Drawn);
    test::MaybeSave(img, QStringLiteral("road_backward"));
    EXPECT_EQ(r.Far, 10);  // 380 m back is still short of 385 m; 400 m stops
    EXPECT_EQ(d3.Count, 20);
    EXPECT_GT(CountColour(img, QColor(16, 255, 0)), 50);
    EXPECT_GT(CountColour(img, QColor(0, 0, 0), QRect(40, 100, 560, 300)), 200);
}

TEST_F(RoadView, ObjectsStandOnTheDriversSide) {
    // Vegetation right of the road (larger X) in the forward sense.
    tRoadModel m = MakeRoad(40, 20);
    test::AddObject(m, 0, 39, true, 6, 0);
    auto o = Options(tViewKind::Forward, 10, QSize(800, 600));
    o.DrawLookLines = false;
    DrawRoadView(m, o, d3, d2, img);
    const QColor green(16, 255, 0);
    const int fwdLeft = CountColour(img, green, QRect(0, 0, 400, 600));
    const int fwdRight = CountColour(img, green, QRect(400, 0, 400, 600));
    EXPECT_GT(fwdRight, 100);
    EXPECT_EQ(fwdLeft, 0);
    // Looking back, the same trees stand on the left; the reference points
    // keep their order across the road for the observer.
    o.View = tViewKind::Backward;
    o.Profile = 30;
    DrawRoadView(m, o, d3, d2, img);
    EXPECT_GT(CountColour(img, green, QRect(0, 0, 400, 600)), 100);
    EXPECT_EQ(CountColour(img, green, QRect(400, 0, 400, 600)), 0);
    EXPECT_LT(d3.Strips[0].Ref1.X, d3.Strips[0].Ref2.X);
    // Both eye points stand 70 m in front of the eye after the camera moved.
    EXPECT_NEAR(d3.Strips[0].Ref1.Y, 70, 1e-9);
    EXPECT_NEAR(d3.Strips[0].Ref2.Y, 70, 1e-9);
}

TEST_F(RoadView, GradeLevelsAClimbingRoad) {
    // A steady 5 % climb: after the grade rotation the road ahead is level,
    // so the far strips' centres lie at the near centre's height.
    tRoadModel m = MakeRoad(40, 20, [](int i) { return i * 1.0; });
    DrawRoadView(m, Options(tViewKind::Forward, 5), d3, d2, img);
    const double nearZ = d3.Strips[0].CentreNear.H;
    EXPECT_NEAR(d3.Strips[d3.Count - 1].CentreFar.H, nearZ, 1e-6);
    // The centre lies 5 cm above the eye points, the eye 10 m above them.
    EXPECT_NEAR(nearZ, 0.05 - 10, 0.01);
}

TEST_F(RoadView, CentreLineWhereTheMedianHasNoWidth) {
    tRoadModel withMedian = MakeRoad(30, 20);
    auto o = Options(tViewKind::Forward, 0);
    o.DrawLookLines = false;
    DrawRoadView(withMedian, o, d3, d2, img);
    EXPECT_GT(CountColour(img, QColor(255, 255, 202)), 20);
    for (int k = 0; k < d3.Count; ++k) EXPECT_TRUE(d3.Strips[k].ZeroWidth);

    // Without kind-0 segments the centre is the middle of the whole section.
    tRoadModel noMedian = MakeRoad(30, 20);
    for (auto& p : noMedian.Plan.Profiles)
        for (auto& s : p.Segments)
            if (s.Kind == 0) s.Kind = 1;
    DrawRoadView(noMedian, o, d3, d2, img);
    EXPECT_EQ(CountColour(img, QColor(255, 255, 202)), 0);
    EXPECT_FALSE(d3.Strips[0].ZeroWidth);
}

TEST_F(RoadView, CrossroadLinesInOrange) {
    tRoadModel m = MakeRoad(30, 20);
    tCrossRoadRec road;
    road.Name = QStringLiteral("Side road");
    for (double x : {-60.0, -30.0, 0.0, 30.0, 60.0}) {
        tRoadPoint p = test::Pt(x, 110, 0.3);
        p.ProfileIndex = 5;  // in the band between profiles 5 and 6
        road.Points.push_back(p);
    }
    m.CrossRoads.Roads.push_back(road);
    auto o = Options(tViewKind::Forward, 0);
    o.DrawLookLines = false;
    DrawRoadView(m, o, d3, d2, img);
    EXPECT_EQ(d3.Strips[5].LineCount, 4);
    EXPECT_EQ(d3.Strips[4].LineCount, 0);
    EXPECT_GT(CountColour(img, QColor(255, 128, 0)), 50);
    m.CrossRoads.Roads[0].Skip = 1;
    DrawRoadView(m, o, d3, d2, img);
    EXPECT_EQ(CountColour(img, QColor(255, 128, 0)), 0);
}

TEST_F(RoadView, PointsBehindTheEyeAreDroppedNotProjected) {
    // A road that turns back on itself: after the half turn its profiles lie
    // behind the observer, some across the eye plane.
    tRoadModel m;
    m.Plan.ViewDepth = 385;
    m.Plan.EyeHeight = 1.2;
    m.Plan.LookDistancesReady = 1;
    const double radius = 40;
    for (int i = 0; i < 24; ++i) {
        tPlanProfile p = test::MakeProfile(0, 0, test::StandardSection(60), i + 1);
        const double a = i * 0.25;  // radians along the turn
        p.Position = i * radius * 0.25;
        const auto place = [&](auto& q) {  // road and section points
            const double across = q.X;
            q.X = (radius + across) * std::cos(a) - radius;
            q.Y = (radius + across) * std::sin(a);
        };
        place(p.KeyPointM1);
        place(p.KeyPoint0);
        for (auto& s : p.Segments) {
            place(s.A);
            place(s.B);
        }
        m.Plan.Profiles.push_back(p);
    }
    const auto r = DrawRoadView(m, Options(tViewKind::Forward, 0), d3, d2, img);
    ASSERT_EQ(r.Outcome, tDrawOutcome::Drawn);
    test::MaybeSave(img, QStringLiteral("road_turn"));
    EXPECT_GT(r.SkippedQuads, 0);
    for (int k = 0; k < d2.Count; ++k)
        for (int q = 0; q < d2.Strips[k].QuadCount; ++q)
            for (const auto& p : d2.Strips[k].Quads[q].P) ASSERT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()));
    // The frame is intact and something of the road is drawn.
    EXPECT_EQ(img.pixel(16, 240), QColor(Qt::black).rgb());
    EXPECT_GT(CountColour(img, QColor(0, 0, 0), QRect(40, 60, 560, 360)), 100);
}

TEST_F(RoadView, BuffersAreReusedAcrossCalls) {
    tRoadModel m = MakeRoad(40, 20);
    DrawRoadView(m, Options(tViewKind::Forward, 0), d3, d2, img);
    const auto capacity = d3.Strips.size();
    EXPECT_EQ(d3.Count, 20);
    DrawRoadView(m, Options(tViewKind::Forward, 35), d3, d2, img);
    EXPECT_EQ(d3.Count, 4);
    EXPECT_EQ(d3.Strips.size(), capacity);  // buffers only grow
}

}  // namespace
}  // namespace kestrova
