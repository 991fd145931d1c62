#include "render/cross_profile_view.h"

#include "view_model.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrova {
namespace {

using test::CountColour;
using test::MakeRoad;

tViewOptions Options(int profile, QSize size = QSize(800, 600)) {
    tViewOptions o;
    o.View = tViewKind::CrossProfile;
    o.Profile = profile;
    o.Target.Size = size;
    return o;
}

// Marks profile p hidden in a variant with its invisible point at across-road x.
void Hide(tPlanProfile& p, int variant, double x, double h) {
    p.HasFwdTrack[variant] = 1;
    p.SightTrack[variant] = test::Pt(x, p.Position, h);
}

TEST(CrossProfile, FrameTerrainAndCarriageway) {
    tRoadModel m = MakeRoad(5, 20);
    tProfileData pd;
    QImage img;
    const auto r = DrawCrossProfile(m, Options(2), pd, img);
    ASSERT_TRUE(r.Drawn);
    test::MaybeSave(img, QStringLiteral("cross_plain"));
    EXPECT_EQ(img.pixel(0, 0), QColor(Qt::white).rgb());
    EXPECT_EQ(img.pixel(16, 300), QColor(Qt::black).rgb());
    EXPECT_EQ(img.pixel(783, 300), QColor(Qt::black).rgb());
    EXPECT_GT(CountColour(img, QColor(96, 96, 96)), 100);   // terrain
    EXPECT_GT(CountColour(img, QColor(160, 160, 160)), 5);  // shoulders
    EXPECT_GT(CountColour(img, QColor(0, 0, 0)), 200);      // carriageway, thickened
    EXPECT_GT(CountColour(img, QColor(0, 119, 119)), 200);  // grid
    EXPECT_EQ(CountColour(img, QColor(255, 0, 0)), 0);      // nothing hidden
    EXPECT_EQ(r.TextBlocks, 0);
    // 80 m across about 690 px of room at 96 ppi: 16 cm of paper at 1:500
    // fits, 26.7 cm at 1:300 does not.
    EXPECT_EQ(r.ScaleDenominator, 500);
    EXPECT_NEAR(pd.Scale, 96 / 2.54 * 100 / 500, 1e-9);
}

struct ScaleCase {
    double HalfWidth;
    int Denominator;
};

TEST(CrossProfile, ScaleIsTheFirstTableScaleThatFits) {
    // Room across: 800 - 2*16 - 2*16 - label width; at 1:N the section needs
    // width*100/N centimetres of 37.8 px.
    const ScaleCase cases[] = {{0.2, 10}, {40, 500}, {60, 700}, {400, 5000}, {20000, 5000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.HalfWidth);
        tRoadModel m;
        std::vector<test::tSectionPoint> section = {{112, -c.HalfWidth, 0}, {123, c.HalfWidth, 0}};
        m.Plan.Profiles.push_back(test::MakeProfile(0, 0, section, 1));
        tProfileData pd;
        QImage img;
        const auto r = DrawCrossProfile(m, Options(0), pd, img);
        EXPECT_TRUE(r.Drawn);
        EXPECT_EQ(r.ScaleDenominator, c.Denominator);
    }
}

TEST(CrossProfile, HiddenPointsGiveTextBlocksAndRedCrosses) {
    struct Case {
        bool v0, v1;
        int blocks;
        QStringList types;
    };
    const Case cases[] = {
        {true, false, 1, {QStringLiteral("Draw3D.SinglePoint")}},
        {false, true, 1, {QStringLiteral("Draw3D.SinglePoint")}},
        {true, true, 2, {QStringLiteral("Draw3D.RightPoint"), QStringLiteral("Draw3D.LeftPoint")}},
    };
    for (const auto& c : cases) {
        tRoadModel m = MakeRoad(5, 20);
        if (c.v0) Hide(m.Plan.Profiles[2], 0, -3, 1.5);
        if (c.v1) Hide(m.Plan.Profiles[2], 1, 4, 1.6);
        tProfileData pd;
        QImage img;
        auto o = Options(2);
        QStringList types, shifts;
        o.Texts.Message = [&](const tMessage& msg) {
            if (msg.Key == QStringLiteral("Draw3D.CrossPointPosition")) types << msg.Placeholder(QStringLiteral("%PointType%"));
            if (msg.Key == QStringLiteral("Draw3D.CrossPointShift")) shifts << msg.Placeholder(QStringLiteral("%CPShift%"));
            return msg.Key.startsWith(QStringLiteral("Draw3D.")) && msg.Key.endsWith(QStringLiteral("Point"))
                       ? msg.Key
                       : msg.Key + QStringLiteral(" text");
        };
        const auto r = DrawCrossProfile(m, o, pd, img);
        EXPECT_EQ(r.TextBlocks, c.blocks);
        EXPECT_EQ(types, c.types);
        EXPECT_GT(CountColour(img, QColor(255, 0, 0)), 10);
        // The shift is measured from KeyPoint0 (x = 1.75) along the section.
        if (c.v0 && !c.v1) {
            EXPECT_EQ(shifts, QStringList{QStringLiteral("-4.75")});
        }
        if (c.v1 && !c.v0) {
            EXPECT_EQ(shifts, QStringList{QStringLiteral("2.25")});
        }
        if (c.v0 && c.v1) test::MaybeSave(img, QStringLiteral("cross_hidden_both"));
    }
}

TEST(CrossProfile, CrossroadsHiddenCrossingsInMagenta) {
    tRoadModel m = MakeRoad(5, 20);
    tHiddenPoint hp;
    hp.Point = test::Pt(-60, 40, 1.0);  // beyond the section's left end
    hp.ObserverProfile = 0;
    m.Plan.Profiles[2].CrossLook[DirFwd].HiddenPoints[0].Points.push_back(hp);
    tProfileData pd;
    QImage img;
    DrawCrossProfile(m, Options(2), pd, img);
    EXPECT_GT(CountColour(img, QColor(255, 0, 255)), 2);
    // Its station is signed: it lies before the section's first point.
    const auto& vp = pd.LookPoints[0];
    ASSERT_EQ(vp.size(), 1u);
    // Stations end up measured from the widened range's left end, 3 m before the point.
    EXPECT_NEAR(vp[0].Station, 3, 1e-9);
}

TEST(CrossProfile, CursorOnAGridLineShowsTheGridValue) {
    tRoadModel m = MakeRoad(5, 20);
    Hide(m.Plan.Profiles[2], 1, 4.123, 1.234);
    tProfileData pd;
    QImage img;
    auto o = Options(2);
    const auto r = DrawCrossProfile(m, o, pd, img);
    ASSERT_TRUE(r.Drawn);
    ASSERT_GT(pd.SnapXCount, 4);
    ASSERT_GT(pd.SnapYCount, 2);
    const double step = r.ScaleDenominator / 200.0;  // metres between grid lines
    tViewTexts texts;
    texts.Message = [](const tMessage& msg) {
        return msg.Key + QLatin1Char('=') +
               msg.Placeholder(msg.Key.endsWith(QStringLiteral("Shift")) ? QStringLiteral("%CPShift%")
                                                                          : QStringLiteral("%CPHeight%"));
    };
    for (int i = 0; i < pd.SnapXCount - 1; ++i) {  // the last x entry is the invisible point
        const tSnapEntry& e = pd.SnapX[i];
        // Every vertical grid line carries a multiple of the grid step.
        EXPECT_NEAR(e.Value / step, std::round(e.Value / step), 1e-9);
        tCursorMeasure cm;
        ASSERT_TRUE(MeasureCrossProfile(pd, e.Pixel, pd.OriginY, texts, cm));
        EXPECT_EQ(cm.Shift, e.Value);
        EXPECT_EQ(cm.Height, 0);  // the reference height's grid line
        EXPECT_EQ(cm.ShiftText, QStringLiteral("Draw3D.CrossPointShift=") + ShortestText(e.Value));
    }
    // The origin's grid line reads 0 exactly.
    tCursorMeasure cm;
    MeasureCrossProfile(pd, pd.OriginX, pd.OriginY, texts, cm);
    EXPECT_EQ(cm.Shift, 0);
    // The invisible point's pixel reads its own rounded values.
    const tSnapEntry& inv = pd.SnapX[pd.SnapXCount - 1];
    const tSnapEntry& invY = pd.SnapY[pd.SnapYCount - 1];
    MeasureCrossProfile(pd, inv.Pixel, invY.Pixel, texts, cm);
    bool onGrid = false;
    for (int i = 0; i < pd.SnapXCount - 1; ++i) onGrid = onGrid || pd.SnapX[i].Pixel == inv.Pixel;
    if (!onGrid) {
        EXPECT_DOUBLE_EQ(cm.Shift, 2.37);  // 4.123 - 1.75, rounded
    }
    // Between grid lines the value comes from the pixel: (x - origin) / scale.
    const int x = pd.OriginX + 7;
    bool snapped = false;
    for (int i = 0; i < pd.SnapXCount; ++i) snapped = snapped || pd.SnapX[i].Pixel == x;
    ASSERT_FALSE(snapped);
    MeasureCrossProfile(pd, x, pd.OriginY, texts, cm);
    EXPECT_DOUBLE_EQ(cm.Shift, std::nearbyint(7 * 100 / pd.Scale) / 100);
}

TEST(CrossProfile, NoMeasurementBeforeADrawing) {
    tProfileData pd;
    tCursorMeasure cm;
    EXPECT_FALSE(MeasureCrossProfile(pd, 10, 10, tViewTexts(), cm));
}

TEST(CrossProfile, CropKeepsAboutThirtyMetres) {
    // A 400 m wide section: cropped it is drawn at a finer scale.
    tRoadModel m;
    m.Plan.Profiles.push_back(test::MakeProfile(0, 0, test::TerrainSection(), 1));
    tProfileData pd;
    QImage img;
    auto o = Options(0);
    const auto full = DrawCrossProfile(m, o, pd, img);
    o.Crop30m = true;
    const auto cropped = DrawCrossProfile(m, o, pd, img);
    test::MaybeSave(img, QStringLiteral("cross_cropped"));
    EXPECT_LT(cropped.ScaleDenominator, full.ScaleDenominator);
    // Cut at -30 and +30 around the centre (x = 0), heights interpolated
    // (1 m at 20 m, 2 m at 50 m: 1 + 10/30); the entries beyond take the cut point.
    const auto& pts = pd.Points;
    ASSERT_EQ(pts.size(), 17u);
    EXPECT_NEAR(pts.back().Station - pts.front().Station, 60, 1e-9);
    EXPECT_NEAR(pts[16].Station - pts[8].Station, 30, 1e-9);  // entry 8: the centre (key point 117)
    EXPECT_EQ(pts[0].Station, pts[2].Station);
    EXPECT_EQ(pts[0].Height, pts[2].Height);
    EXPECT_NEAR(pts[2].Height - pts[8].Height, (1 + 10.0 / 30) - 0.1, 1e-9);
    EXPECT_EQ(pts[14].Station, pts[16].Station);
    EXPECT_NEAR(pts[14].Height - pts[8].Height, (1 + 10.0 / 30) - 0.1, 1e-9);
}

TEST(CrossProfile, CropStopsAtTheFormationWhenItIsWiderThanThirtyMetres) {
    // The terrain begins 45 m left and 40 m right of the centre: the cut is
    // at those first kind-3 points, not at 30 m.
    std::vector<test::tSectionPoint> section = {{1, -300, 5}, {2, -45, 0},  {109, -40, 0}, {112, -35, 0},
                                                {117, 0, 0},  {123, 0, 0},  {127, 35, 0},  {130, 40, 0},
                                                {200, 300, 5}};
    tRoadModel m;
    m.Plan.Profiles.push_back(test::MakeProfile(0, 0, section, 1));
    tProfileData pd;
    QImage img;
    auto o = Options(0);
    o.Crop30m = true;
    DrawCrossProfile(m, o, pd, img);
    const auto& pts = pd.Points;
    ASSERT_EQ(pts.size(), 9u);
    EXPECT_NEAR(pts[4].Station - pts[1].Station, 45, 1e-9);  // centre minus the left cut
    EXPECT_NEAR(pts[7].Station - pts[4].Station, 40, 1e-9);
    EXPECT_EQ(pts[0].Station, pts[1].Station);
    EXPECT_EQ(pts[8].Station, pts[7].Station);
}

TEST(CrossProfile, CropNeverEndsInsideAnObject) {
    // A building from 25 to 35 m right of the centre, where the 30 m cut would fall.
    tRoadModel m;
    m.Plan.Profiles.push_back(test::MakeProfile(0, 0, test::TerrainSection(), 1));
    test::AddObject(m, 0, 0, false, 5, 0, 25, 35);
    tProfileData pd;
    QImage img;
    auto o = Options(0);
    o.Crop30m = true;
    DrawCrossProfile(m, o, pd, img);
    test::MaybeSave(img, QStringLiteral("cross_crop_building"));
    double maxStation = -1e9, minStation = 1e9, centre = 0;
    for (const auto& e : pd.Points) {
        maxStation = std::max(maxStation, e.Station);
        minStation = std::min(minStation, e.Station);
        if (e.Kind == 0) centre = e.Station;
    }
    EXPECT_NEAR(centre - minStation, 30, 1e-9);
    EXPECT_NEAR(maxStation - centre, 35, 1e-9);  // the building's far foot
    EXPECT_GT(CountColour(img, QColor(170, 170, 0)), 20);
}

TEST(CrossProfile, ZeroWidthSectionShowsFrameAndTextsOnly) {
    tRoadModel m;
    std::vector<test::tSectionPoint> section = {{112, 0, 0}, {123, 0, 0}};
    m.Plan.Profiles.push_back(test::MakeProfile(0, 0, section, 1));
    m.Plan.Profiles[0].KeyPoint0 = test::Pt(0, 0, 0);
    Hide(m.Plan.Profiles[0], 0, 0, 1);
    m.Plan.Profiles[0].SightTrack[0].Y = 0;
    tProfileData pd;
    QImage img;
    const auto r = DrawCrossProfile(m, Options(0), pd, img);
    // The invisible point widens the range by 3 m each way, so even this
    // section is drawn; without it nothing measurable remains.
    EXPECT_EQ(r.TextBlocks, 1);
    m.Plan.Profiles[0].HasFwdTrack[0] = 0;
    const auto r2 = DrawCrossProfile(m, Options(0), pd, img);
    EXPECT_FALSE(r2.Drawn);
    EXPECT_EQ(pd.Scale, 0);
    EXPECT_EQ(img.pixel(16, 300), QColor(Qt::black).rgb());
    EXPECT_EQ(CountColour(img, QColor(0, 119, 119)), 0);
}

// Pixels of the band between the picture's edge and the frame that are not white.
int MarksOutsideTheFrame(const QImage& img, int margin) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const bool band = x < margin || y < margin || x >= img.width() - margin || y >= img.height() - margin;
            if (band && img.pixel(x, y) != QColor(Qt::white).rgb()) ++n;
        }
    return n;
}

TEST(CrossProfile, NothingIsDrawnOutsideTheFrame) {
    // A cropped 400 m section on pictures around the width where 1:500 only
    // just fits: the terrain line must end at the frame, not run through it.
    tRoadModel m;
    m.Plan.Profiles.push_back(test::MakeProfile(0, 0, test::TerrainSection(), 1));
    int worst = 0;
    for (int width = 540; width <= 620; width += 4) {
        tProfileData pd;
        QImage img;
        auto o = Options(0, QSize(width, 470));
        o.Crop30m = true;
        ASSERT_TRUE(DrawCrossProfile(m, o, pd, img).Drawn);
        const int outside = MarksOutsideTheFrame(img, 16);  // the margin at 96 ppi
        EXPECT_EQ(outside, 0) << "picture width " << width << ", 1:" << DrawCrossProfile(m, o, pd, img).ScaleDenominator;
        if (outside > worst) {
            worst = outside;
            test::MaybeSave(img, QStringLiteral("cross_outside_frame"));
        }
    }
}

TEST(CrossProfile, NoProfileNothingDrawn) {
    tRoadModel m = MakeRoad(3, 20);
    tProfileData pd;
    QImage img;
    EXPECT_FALSE(DrawCrossProfile(m, Options(7), pd, img).Drawn);
    EXPECT_EQ(CountColour(img, Qt::white), img.width() * img.height());
}

}  // namespace
}  // namespace kestrova
