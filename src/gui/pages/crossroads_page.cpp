#include "gui/pages/crossroads_page.h"

#include "core/calc/crossroads_list.h"
#include "render/crossroads_view.h"
#include "gui/views/grid_paint.h"
#include "gui/views/image_view.h"
#include "gui/views/string_grid.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrova {

struct TCrossRoadsPage::tBuffers {
    Tx2Ddata Plan;
    tCrossRoadsListState CRoads;
};

namespace {

void SetUpList(TStringGrid* grid) {
    grid->SetSize(4, 1);
    grid->SetRowSelect(true);
    grid->SetColWidth(2, -1);
    grid->SetColWidth(3, -1);
}

}  // namespace

TCrossRoadsPage::TCrossRoadsPage(const tPageContext& context, QWidget* parent)
    : QWidget(parent), FContext(context), FBuffers(std::make_unique<tBuffers>()) {
    setObjectName(QStringLiteral("Panel3"));
    auto* lay = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    FUi.gbCRoadList = Named(new QGroupBox(QStringLiteral(" gbCRoadList "), this), QStringLiteral("gbCRoadList"));
    auto* l1 = new QVBoxLayout(FUi.gbCRoadList);
    TStringGrid* roads = FUi.gCRoadsList = new TStringGrid(QStringLiteral("gCRoadsList"), FUi.gbCRoadList);
    SetUpList(roads);
    roads->Model().SetCellTips(true);  // long names are cut in the list
    roads->DrawCell = [roads](QPainter& p, const tCellDraw& c) { PaintCRoadsListCell(p, *roads, c); };
    FUi.rbCRoadFwd = Named(new QRadioButton(QStringLiteral("rbCRoadFwd"), FUi.gbCRoadList), QStringLiteral("rbCRoadFwd"));
    FUi.rbCRoadRev = Named(new QRadioButton(QStringLiteral("rbCRoadRev"), FUi.gbCRoadList), QStringLiteral("rbCRoadRev"));
    FUi.rbCRoadFwd->setChecked(true);
    l1->addWidget(roads, 1);
    auto* dirs = new QVBoxLayout;
    dirs->addWidget(FUi.rbCRoadFwd);
    dirs->addWidget(FUi.rbCRoadRev);
    l1->addLayout(dirs);
    FUi.gbCRoadsPProfiles =
        Named(new QGroupBox(QStringLiteral(" gbCRoadsPProfiles "), this), QStringLiteral("gbCRoadsPProfiles"));
    auto* l2 = new QVBoxLayout(FUi.gbCRoadsPProfiles);
    TStringGrid* approaches = FUi.gCrProfilesList = new TStringGrid(QStringLiteral("gCrProfilesList"), FUi.gbCRoadsPProfiles);
    SetUpList(approaches);
    approaches->DrawCell = [approaches](QPainter& p, const tCellDraw& c) { PaintCrProfilesListCell(p, *approaches, c); };
    l2->addWidget(approaches, 1);
    left->addWidget(FUi.gbCRoadList, 1);
    left->addWidget(FUi.gbCRoadsPProfiles, 1);
    auto* leftBox = new QWidget(this);
    leftBox->setLayout(left);
    leftBox->setFixedWidth(300);
    left->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(leftBox);
    FUi.imCRoads = new TImageView(QStringLiteral("imCRoads"), this);
    lay->addWidget(FUi.imCRoads, 1);
    // A skipped crossroad hides these two; the list and the directions stay put.
    KeepRoomWhenHidden(FUi.gbCRoadsPProfiles);
    KeepRoomWhenHidden(FUi.imCRoads);

    connect(roads, &TStringGrid::Clicked, this, [this] { gCRoadsListClick(); });
    connect(FUi.rbCRoadFwd, &QRadioButton::clicked, this, [this] { gCRoadsListClick(); });
    connect(FUi.rbCRoadRev, &QRadioButton::clicked, this, [this] { gCRoadsListClick(); });
    connect(approaches, &TStringGrid::Clicked, this, [this] { gCrProfilesListClick(); });
}

TCrossRoadsPage::~TCrossRoadsPage() = default;

void TCrossRoadsPage::Shown() {
    AutoSizeGrid(*FUi.gCrProfilesList, Columns({0, 1}), Columns({0, 1}));
    // The name column takes the rest of the list's width.
    TStringGrid* roads = FUi.gCRoadsList;
    roads->SetColWidth(1, std::max(40, roads->viewport()->width() - roads->ColWidth(0)));
    gCRoadsListClick();
    roads->viewport()->update();
    FUi.gCrProfilesList->viewport()->update();
}

void TCrossRoadsPage::gCRoadsListClick() {
    if (FGuard || FContext.ViewTab() != tViewTab::CrossRoads) return;
    const int listRow = FUi.gCRoadsList->Row();
    bool ok = false;
    const int crossRoad = FUi.gCRoadsList->Cells(3, listRow).toInt(&ok);
    if (!ok || crossRoad < 0 || crossRoad >= FContext.Model.CrossRoads.Count()) return;
    const int checked = FUi.rbCRoadRev->isChecked() ? DirRev : DirFwd;
    const int before = FUi.gCrProfilesList->RowCount() > 1 ? FUi.gCrProfilesList->Row() - 1 : -1;
    const tCrossRoadSelection sel = SelectCrossRoad(FContext.Model, crossRoad, checked, before, FBuffers->CRoads);
    FUi.rbCRoadFwd->setEnabled(sel.Ok);
    FUi.rbCRoadRev->setEnabled(sel.Ok);
    FUi.gbCRoadsPProfiles->setVisible(sel.Ok);
    FUi.imCRoads->setVisible(sel.Ok);
    if (!sel.Ok) return;
    FShown = crossRoad;
    FGuard = true;
    FUi.rbCRoadFwd->setEnabled(sel.FwdEnabled);
    FUi.rbCRoadRev->setEnabled(sel.RevEnabled);
    // A direction from which the crossing road is hidden is shown on a warning
    // background; a style sheet is the one way every style paints it whole.
    const auto warn = [](QRadioButton* button, bool notVisible) {
        button->setStyleSheet(notVisible ? QStringLiteral("QRadioButton { background-color: rgb(255, 111, 111); }") : QString());
    };
    warn(FUi.rbCRoadFwd, sel.FwdNotVisible);
    warn(FUi.rbCRoadRev, sel.RevNotVisible);
    (sel.Direction == DirRev ? FUi.rbCRoadRev : FUi.rbCRoadFwd)->setChecked(true);
    FillApproaches(sel);
    FGuard = false;
    gCrProfilesListClick();
    FUi.gCrProfilesList->setFocus();
}

void TCrossRoadsPage::FillApproaches(const tCrossRoadSelection& sel) {
    TStringGrid* list = FUi.gCrProfilesList;
    const int rows = static_cast<int>(sel.Rows.size());
    list->SetSize(4, rows + 1);
    TGridModel& m = list->Model();
    m.BeginChange();
    for (int i = 0; i < rows; ++i) {
        const tApproachRow& a = sel.Rows[static_cast<size_t>(i)];
        m.SetCellQuiet(0, i + 1, QString::number(a.RecordNumber));
        m.SetCellQuiet(1, i + 1, a.KmText);
        m.SetCellQuiet(2, i + 1, a.NotVisible ? QStringLiteral("NL") : QString());
        m.SetCellQuiet(3, i + 1, QString::number(a.Profile));
    }
    m.EndChange();
    if (sel.CurrentRow >= 0) list->SetRow(sel.CurrentRow + 1);
    AutoSizeGrid(*list, Columns({0, 1}), Columns({0, 1}));
}

void TCrossRoadsPage::gCrProfilesListClick() {
    if (FGuard || FContext.ViewTab() != tViewTab::CrossRoads || FShown < 0) return;
    bool ok = false;
    const int profile = FUi.gCrProfilesList->Cells(3, FUi.gCrProfilesList->Row()).toInt(&ok);
    if (!ok) return;
    tViewOptions options;
    options.View = tViewKind::CrossRoads;
    options.CrossRoad = FShown;
    options.Direction = FUi.rbCRoadRev->isChecked() ? DirRev : DirFwd;
    options.Profile = profile;
    options.Target.Size = FUi.imCRoads->size();
    options.Target.PixelsPerInch = std::max(1, FContext.Window->logicalDpiY());
    options.ButtonFace = FContext.Window->palette().color(QPalette::Button);
    options.Texts = TextsFromEngine(FContext.Engine);
    DrawCrossRoadsView(FContext.Model, options, FBuffers->Plan, FUi.imCRoads->Picture());
    FUi.imCRoads->update();
    emit ProfileShown(profile);
}

}  // namespace kestrova
