#include "render/crossroads_view.h"

#include "view_model.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrova {
namespace {

using test::CountColour;
using test::MakeRoad;
using test::Pt;

constexpr double kCrossY = 210;  // the side road crosses between profiles 10 and 11
constexpr double kRoadX = 1.75;   // the road line through KeyPoint0

tRoadPoint OnSideRoad(double chainage) { return Pt(kRoadX + chainage, kCrossY, 0.2); }

// Sight lines from profile p to the side road's samples, five per side; with
// `hidden` the outer lines of side 0 are cut where the ground hides them, and
// profile p + 2 records those crossings.
void AddSightLines(tRoadModel& m, int p, int dir, bool hidden, int crossRoad = 0) {
    tPlanProfile& prof = m.Plan.Profiles[p];
    tXCrossLookDir& look = prof.CrossLook[dir];
    const tRoadPoint observer = dir == DirFwd ? prof.KeyPoint0 : prof.KeyPointM1;
    for (int side = 0; side < 2; ++side) {
        std::vector<tSightPoint>& samples = m.CrossRoads.Roads[size_t(crossRoad)].Samples[side];
        samples.clear();
        for (int k = 0; k < 5; ++k) {
            samples.push_back(OnSideRoad((side == 0 ? -1 : 1) * 5.0 * k));
            tSightLine l;
            l.CrossRoad = crossRoad;
            l.Sample = k;
            if (hidden && side == 0 && k >= 2) {
                tHiddenPoint hp;
                hp.Point.X = observer.X + (samples[k].X - observer.X) * 0.6;
                hp.Point.Y = observer.Y + (samples[k].Y - observer.Y) * 0.6;
                hp.ObserverProfile = p;
                hp.CrossRoad = crossRoad;
                l.Cut = static_cast<int32_t>(look.CutTargets.size());
                look.CutTargets.push_back(hp.Point);
                m.Plan.Profiles[p + 2].CrossLook[dir].HiddenPoints[0].Points.push_back(hp);
            }
            look.SightLines[side].push_back(l);
        }
    }
    look.Hidden = hidden ? 1 : 0;
}

tRoadModel CrossedRoad() {
    tRoadModel m = MakeRoad(22, 20);
    tCrossRoadRec road;
    road.Name = QStringLiteral("Mill lane");
    for (double c : {-61.75, -30.0, 0.0, 30.0, 58.25}) {
        tRoadPoint pt = OnSideRoad(c);
        pt.Chainage = c;
        pt.ProfileIndex = 10;
        road.Points.push_back(pt);
    }
    road.CrossIndex = 2;
    road.ApproachRange[DirFwd] = 9;
    road.ApproachRange[DirRev] = 12;
    road.ApproachEnd[DirFwd] = 4;
    road.ApproachEnd[DirRev] = 17;
    road.DirectionOpen[DirFwd] = road.DirectionOpen[DirRev] = 1;
    road.NotVisible[DirFwd] = 1;
    road.CrossKm = kCrossY;
    m.CrossRoads.Roads.push_back(road);
    for (int p = 4; p <= 9; ++p) {
        AddSightLines(m, p, DirFwd, p <= 5);
        m.Plan.Profiles[p].CrossLook[DirFwd].FirstVisible = 10;
    }
    for (int p = 12; p <= 17; ++p) {
        AddSightLines(m, p, DirRev, false);
        m.Plan.Profiles[p].CrossLook[DirRev].FirstVisible = 11;
    }
    return m;
}

tViewOptions Options() {
    tViewOptions o;
    o.View = tViewKind::CrossRoads;
    o.Target.Size = QSize(700, 500);
    return o;
}

std::vector<int> RowProfiles(const tCrossRoadSelection& s) {
    std::vector<int> v;
    for (const auto& r : s.Rows) v.push_back(r.Profile);
    return v;
}

TEST(CrossRoadsList, ApproachProfilesPerDirection) {
    tRoadModel m = CrossedRoad();
    tCrossRoadsListState state;
    auto fwd = SelectCrossRoad(m, 0, DirFwd, -1, state);
    ASSERT_TRUE(fwd.Ok);
    EXPECT_TRUE(fwd.FwdEnabled && fwd.RevEnabled);
    EXPECT_TRUE(fwd.FwdNotVisible);
    EXPECT_FALSE(fwd.RevNotVisible);
    EXPECT_EQ(RowProfiles(fwd), (std::vector<int>{4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(fwd.CurrentRow, 0);  // the farthest approach profile
    EXPECT_TRUE(fwd.Rows[0].NotVisible);
    EXPECT_TRUE(fwd.Rows[1].NotVisible);
    EXPECT_FALSE(fwd.Rows[2].NotVisible);
    EXPECT_EQ(fwd.Rows[0].RecordNumber, 5);
    EXPECT_EQ(fwd.Rows[0].KmText, QStringLiteral("0+080,00"));
    EXPECT_EQ(DraftRowForProfile(fwd.Rows[3].Profile), 8);

    // The same crossroad and direction keep the selected row.
    auto again = SelectCrossRoad(m, 0, DirFwd, 3, state);
    EXPECT_EQ(again.CurrentRow, 3);

    // Switching the direction selects the last row, again the farthest profile.
    auto rev = SelectCrossRoad(m, 0, DirRev, 3, state);
    EXPECT_EQ(RowProfiles(rev), (std::vector<int>{12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(rev.CurrentRow, 5);
}

TEST(CrossRoadsList, ClosedDirectionPassesTheCheck) {
    tRoadModel m = CrossedRoad();
    m.CrossRoads.Roads[0].DirectionOpen[DirRev] = 0;
    tCrossRoadsListState state;
    auto s = SelectCrossRoad(m, 0, DirRev, -1, state);
    EXPECT_FALSE(s.RevEnabled);
    EXPECT_EQ(s.Direction, DirFwd);
    EXPECT_EQ(RowProfiles(s), (std::vector<int>{4, 5, 6, 7, 8, 9}));
}

TEST(CrossRoadsList, SkippedCrossroadShowsNothing) {
    tRoadModel m = CrossedRoad();
    m.CrossRoads.Roads[0].Skip = 1;
    tCrossRoadsListState state;
    EXPECT_FALSE(SelectCrossRoad(m, 0, DirFwd, -1, state).Ok);
    EXPECT_FALSE(SelectCrossRoad(m, 5, DirFwd, -1, state).Ok);
    Tx2Ddata data;
    QImage img;
    auto o = Options();
    o.CrossRoad = 0;
    o.Profile = -1;
    EXPECT_FALSE(DrawCrossRoadsView(m, o, data, img));
}

// Colours a fan leaves on each surface colour: masked with its fill, merged with its outline.
std::set<QRgb> FanColours(QRgb fill, QRgb outline) {
    std::set<QRgb> out;
    for (QColor c : {QColor(Qt::white), QColor(0, 0, 0), QColor(96, 96, 96), QColor(160, 160, 160)})
        out.insert((c.rgb() & fill) | outline | 0xff000000u);
    return out;
}

int CountAny(const QImage& img, const std::set<QRgb>& colours) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += colours.count(img.pixel(x, y)) ? 1 : 0;
    return n;
}

TEST(CrossRoadsView, HiddenApproachRedVisibleGreen) {
    tRoadModel m = CrossedRoad();
    const auto red = FanColours(qRgb(255, 144, 144), qRgb(96, 0, 0));
    const auto green = FanColours(qRgb(144, 255, 144), qRgb(0, 96, 0));
    Tx2Ddata data;
    QImage img;
    auto o = Options();
    // Profile 4 does not see the side road.
    auto r = DrawCrossRoadPlan(m, o, data, img, 0, 4, 9, 4, DirFwd);
    ASSERT_TRUE(r.Drawn);
    test::MaybeSave(img, QStringLiteral("crossroads_hidden"));
    EXPECT_EQ(r.FirstProfile, 3);
    EXPECT_EQ(r.LastProfile, 11);
    EXPECT_GT(CountAny(img, red), 200);
    EXPECT_EQ(CountAny(img, green), 0);
    EXPECT_GT(CountColour(img, QColor(255, 32, 32)), 50);  // outline and the thick hidden crossings
    EXPECT_EQ(CountColour(img, QColor(32, 255, 32)), 0);
    EXPECT_GT(CountColour(img, QColor(255, 128, 0)), 50);  // the side road
    // Button face around, white frame inside.
    EXPECT_EQ(img.pixel(2, 2), QColor(240, 240, 240).rgb());
    EXPECT_EQ(img.pixel(5, 250), QColor(0, 0, 0).rgb());
    int thick = 0;
    for (int i = 0; i < data.Count; ++i) thick += data.Items[i].Thick && data.Items[i].LineColor == qRgb(255, 32, 32);
    EXPECT_EQ(thick, 2);  // three hidden crossings chained

    // Profile 8 sees it.
    r = DrawCrossRoadPlan(m, o, data, img, 0, 8, 9, 4, DirFwd);
    ASSERT_TRUE(r.Drawn);
    test::MaybeSave(img, QStringLiteral("crossroads_visible"));
    EXPECT_GT(CountAny(img, green), 200);
    EXPECT_EQ(CountAny(img, red), 0);
    EXPECT_GT(CountColour(img, QColor(32, 255, 32)), 50);
    EXPECT_EQ(CountColour(img, QColor(255, 32, 32)), 0);
}

TEST(CrossRoadsView, ReverseDirectionLooksFromTheOtherSide) {
    tRoadModel m = CrossedRoad();
    Tx2Ddata data;
    QImage img;
    auto o = Options();
    o.CrossRoad = 0;
    o.Direction = DirRev;
    o.Profile = -1;
    int drawn = -1;
    ASSERT_TRUE(DrawCrossRoadsView(m, o, data, img, &drawn));
    test::MaybeSave(img, QStringLiteral("crossroads_reverse"));
    EXPECT_EQ(drawn, 17);
    EXPECT_GT(CountAny(img, FanColours(qRgb(144, 255, 144), qRgb(0, 96, 0))), 200);
    // A profile that is no approach profile of the direction is not drawn.
    o.Profile = 5;
    EXPECT_FALSE(DrawCrossRoadsView(m, o, data, img, &drawn));
    EXPECT_EQ(drawn, -1);
}

TEST(CrossRoadsView, SightLinesOfAnotherCrossroadAreLeftOut) {
    tRoadModel m = CrossedRoad();
    tCrossRoadRec other = m.CrossRoads.Roads[0];
    other.Name = QStringLiteral("Far lane");
    m.CrossRoads.Roads.push_back(other);
    Tx2Ddata data;
    QImage img;
    auto o = Options();
    DrawCrossRoadPlan(m, o, data, img, 1, 8, 9, 4, DirFwd);
    int fans = 0;
    for (int i = 0; i < data.Count; ++i) fans += data.Items[i].IsFan;
    EXPECT_EQ(fans, 0);
    DrawCrossRoadPlan(m, o, data, img, 0, 8, 9, 4, DirFwd);
    fans = 0;
    for (int i = 0; i < data.Count; ++i) fans += data.Items[i].IsFan;
    EXPECT_EQ(fans, 8);  // four per side
}

TEST(CrossRoadsView, DegenerateOrientationDrawsNothing) {
    tRoadModel m = CrossedRoad();
    for (auto& s : m.Plan.Profiles[4].Segments) s.A.X = s.B.X = 0;
    Tx2Ddata data;
    QImage img;
    EXPECT_FALSE(DrawCrossRoadPlan(m, Options(), data, img, 0, 8, 9, 4, DirFwd).Drawn);
    EXPECT_FALSE(DrawCrossRoadPlan(m, Options(), data, img, 0, 99, 9, 4, DirFwd).Drawn);
}

}  // namespace
}  // namespace kestrova
