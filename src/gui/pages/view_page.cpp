#include "gui/pages/view_page.h"

#include "gui/app/text_fitting.h"
#include "render/cross_profile_view.h"
#include "render/road_view.h"
#include "gui/views/grid_paint.h"
#include "gui/views/image_view.h"
#include "gui/views/string_grid.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrova {

struct TViewPage::tBuffers {
    T3DData Data3d;
    T2DData Data2d;
    tProfileData Profile;
};

namespace {

bool IsDrawnView(tViewTab view) {
    return view == tViewTab::Forward || view == tViewTab::Backward || view == tViewTab::CrossProfile;
}

}  // namespace

TViewPage::TViewPage(const tPageContext& context, QWidget* parent)
    : QWidget(parent), FContext(context), FBuffers(std::make_unique<tBuffers>()) {
    setObjectName(QStringLiteral("panel2"));
    FUi.Im3d = new TImageView(QStringLiteral("Im3d"), this);
    TStringGrid* list = FUi.gProfilesList = new TStringGrid(QStringLiteral("gProfilesList"), this);
    list->SetSize(6, 1);
    list->SetRowSelect(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 2; c < 6; ++c) list->SetColWidth(c, -1);
    list->DrawCell = [this, list](QPainter& p, const tCellDraw& c) { PaintProfilesListCell(p, *list, c, FContext.ViewTab()); };
    connect(list, &TStringGrid::Clicked, this, [this](TStringGrid* g) { emit RowClicked(g); });
    BuildTools();
    BuildMeasure();
}

TViewPage::~TViewPage() = default;

void TViewPage::BuildTools() {
    FUi.pan3Dtools = Named(new QWidget(this), QStringLiteral("pan3Dtools"));
    FUi.pan3Dtools->resize(201, 153);
    auto* tools = new QVBoxLayout(FUi.pan3Dtools);
    tools->setContentsMargins(8, 4, 4, 4);
    FUi.rgLookHeight = Named(new QGroupBox(QStringLiteral(" rgLookHeight "), FUi.pan3Dtools), QStringLiteral("rgLookHeight"));
    FUi.rgLookHeight->setProperty("radioGroup", true);
    auto* rg = new QVBoxLayout(FUi.rgLookHeight);
    rg->setSpacing(0);
    rg->setContentsMargins(6, 4, 4, 4);  // room for the longest item in one line
    for (int i = 0; i < 4; ++i) {
        FUi.rgLookHeightItems[i] = Named(new QRadioButton(QStringLiteral("rgLookHeight.Item%1").arg(i), FUi.rgLookHeight),
                                         QStringLiteral("_x_rgLookHeight_Item%1").arg(i));
        rg->addWidget(FUi.rgLookHeightItems[i]);
        connect(FUi.rgLookHeightItems[i], &QRadioButton::clicked, this, [this] { emit OptionsChanged(); });
    }
    FUi.rgLookHeightItems[1]->setChecked(true);
    FUi.cbDrawLookLines__3D =
        Named(new QCheckBox(QStringLiteral("cbDrawLookLines"), FUi.pan3Dtools), QStringLiteral("cbDrawLookLines__3D"));
    FUi.cbDrawLookLines__3D->setChecked(true);
    FUi.cbDrawRoadGrid__3D =
        Named(new QCheckBox(QStringLiteral("cbDrawRoadGrid"), FUi.pan3Dtools), QStringLiteral("cbDrawRoadGrid__3D"));
    FUi.cbDrawRoadGrid__3D->setChecked(true);
    tools->addWidget(FUi.rgLookHeight);
    tools->addWidget(FUi.cbDrawLookLines__3D);
    tools->addWidget(FUi.cbDrawRoadGrid__3D);
    FUi.cbDrawRoadGrid__3D->hide();
    FUi.pan3Dtools->hide();
    connect(FUi.cbDrawLookLines__3D, &QCheckBox::clicked, this, [this] { emit OptionsChanged(); });
    connect(FUi.cbDrawRoadGrid__3D, &QCheckBox::clicked, this, [this] { emit OptionsChanged(); });

    FUi.panCProfileTools = Named(new QWidget(this), QStringLiteral("panCProfileTools"));
    FUi.panCProfileTools->resize(201, 33);
    auto* cp = new QHBoxLayout(FUi.panCProfileTools);
    cp->setContentsMargins(8, 4, 4, 4);
    FUi.cbCropProfile30m =
        Named(new QCheckBox(QStringLiteral("cbCropProfile30m"), FUi.panCProfileTools), QStringLiteral("cbCropProfile30m"));
    cp->addWidget(FUi.cbCropProfile30m);
    FUi.panCProfileTools->hide();
    connect(FUi.cbCropProfile30m, &QCheckBox::clicked, this, [this] { emit OptionsChanged(); });
}

void TViewPage::BuildMeasure() {
    FUi.gbCursorMeas = Named(new QGroupBox(QStringLiteral(" gbCursorMeas "), this), QStringLiteral("gbCursorMeas"));
    auto* meas = new QHBoxLayout(FUi.gbCursorMeas);
    meas->setContentsMargins(8, 0, 8, 2);
    FUi._x_XMeas = Named(new QLabel(FUi.gbCursorMeas), QStringLiteral("_x_XMeas"));
    FUi._x_YMeas = Named(new QLabel(FUi.gbCursorMeas), QStringLiteral("_x_YMeas"));
    meas->addWidget(FUi._x_XMeas, 1);
    meas->addWidget(FUi._x_YMeas, 1);
    FUi.gbCursorMeas->hide();
    connect(FUi.Im3d, &TImageView::MouseMoved, this, [this](const QPoint& p) { Im3dMouseMove(p); });
}

void TViewPage::Arrange() {
    const tViewTab view = FContext.ViewTab();
    if (!IsDrawnView(view)) return;
    TStringGrid* list = FUi.gProfilesList;
    const QString keep0 = list->Cells(0, 1), keep1 = list->Cells(1, 1);
    const bool hasRow = list->RowCount() > 1;
    if (hasRow) {
        list->Model().SetCellQuiet(0, 1, QStringLiteral(" 999999"));
        list->Model().SetCellQuiet(1, 1, QStringLiteral("9999+999.99"));
    }
    AutoSizeGrid(*list, Columns({0, 1}), Columns({0, 1}));
    if (hasRow) {
        list->Model().SetCellQuiet(0, 1, keep0);
        list->Model().SetCellQuiet(1, 1, keep1);
    }
    PlaceTools(view);
    DrawView();
    list->viewport()->update();
    list->setFocus();
}

void TViewPage::PlaceTools(tViewTab view) {
    TStringGrid* list = FUi.gProfilesList;
    const int listWidth = 193;
    const auto placeList = [&](QWidget* tool) {
        tool->move(0, 0);
        tool->show();
        const int top = tool->y() + tool->height() + 8;
        list->setGeometry(8, top, listWidth, std::max(40, height() - top - 8));
    };
    const int imLeft = 216, imTop = 8;
    const int imWidth = std::max(40, width() - imLeft - 8);
    FUi.gbCursorMeas->setGeometry(imLeft, height() - 49 - 8, imWidth, 49);
    if (view != tViewTab::CrossProfile) {
        if (FUi.pan3Dtools->isHidden()) placeList(FUi.pan3Dtools);
        FUi.panCProfileTools->hide();
        FUi.gbCursorMeas->hide();
        FUi.Im3d->setGeometry(imLeft, imTop, imWidth, std::max(40, height() - imTop - 8));
    } else {
        if (FUi.panCProfileTools->isHidden()) placeList(FUi.panCProfileTools);
        FUi.pan3Dtools->hide();
        FUi.gbCursorMeas->hide();
        FUi.Im3d->setGeometry(imLeft, imTop, imWidth, std::max(40, FUi.gbCursorMeas->y() - imTop - 8));
    }
    // The list keeps its height when the panel grows.
    const QWidget* tool = view == tViewTab::CrossProfile ? FUi.panCProfileTools : FUi.pan3Dtools;
    const int top = tool->y() + tool->height() + 8;
    list->setGeometry(8, top, listWidth, std::max(40, height() - top - 8));
}

void TViewPage::DrawView() {
    const tViewTab view = FContext.ViewTab();
    if (!IsDrawnView(view)) return;
    const int profile = FUi.gProfilesList->Row() - 1;
    tViewOptions options;
    options.View = view == tViewTab::Forward    ? tViewKind::Forward
                   : view == tViewTab::Backward ? tViewKind::Backward
                                                : tViewKind::CrossProfile;
    options.Profile = profile;
    for (int i = 0; i < 4; ++i)
        if (FUi.rgLookHeightItems[i]->isChecked()) options.LookHeight = i;
    options.DrawLookLines = FUi.cbDrawLookLines__3D->isChecked();
    options.DrawRoadGrid = FUi.cbDrawRoadGrid__3D->isChecked();
    options.Crop30m = FUi.cbCropProfile30m->isChecked();
    options.Target.Size = FUi.Im3d->size();
    options.Target.PixelsPerInch = std::max(1, FContext.Window->logicalDpiY());
    options.ButtonFace = FContext.Window->palette().color(QPalette::Button);
    options.Texts = TextsFromEngine(FContext.Engine);
    QImage& image = FUi.Im3d->Picture();
    tRoadModel& model = FContext.Model;
    if (profile < 0 || profile >= model.Plan.Count()) {
        PrepareSurface(image, options.Target);
        image.fill(Qt::white);
    } else if (view == tViewTab::CrossProfile) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        DrawCrossProfile(model, options, FBuffers->Profile, image);
        QApplication::restoreOverrideCursor();
    } else {
        DrawRoadView(model, options, FBuffers->Data3d, FBuffers->Data2d, image);
    }
    FUi.Im3d->update();
}

void TViewPage::Im3dMouseMove(const QPoint& pos) {
    if (FContext.ViewTab() != tViewTab::CrossProfile) return;
    if (FUi.gbCursorMeas->isHidden()) FUi.gbCursorMeas->show();
    tCursorMeasure m;
    if (!MeasureCrossProfile(FBuffers->Profile, pos.x(), pos.y(), TextsFromEngine(FContext.Engine), m)) return;
    FUi._x_XMeas->setText(m.ShiftText);
    FUi._x_YMeas->setText(m.HeightText);
}

// The view options stay whole in their narrow tool panels: long texts take
// two lines, and the panels grow to hold them.
void TViewPage::FitTools() {
    for (QWidget* panel : {FUi.pan3Dtools, FUi.panCProfileTools}) {
        const QMargins margins = panel->layout()->contentsMargins();
        const int room = panel->width() - margins.left() - margins.right();
        for (QCheckBox* box : panel->findChildren<QCheckBox*>()) FitButtonText(box, box->text(), room);
        panel->layout()->activate();
        for (QRadioButton* item : panel->findChildren<QRadioButton*>()) {
            // The items' room is what their group leaves inside its frame and margins.
            const QWidget* group = item->parentWidget();
            const QMargins inner = group->layout() ? group->layout()->contentsMargins() : QMargins();
            const int groupRoom = group == panel ? room : std::min(room, group->contentsRect().width());
            FitButtonText(item, item->text(), groupRoom - inner.left() - inner.right());
        }
        for (QLayout* inner : panel->findChildren<QLayout*>()) inner->invalidate();
        panel->layout()->invalidate();
        panel->layout()->activate();
        panel->resize(panel->width(), std::max(panel == FUi.pan3Dtools ? 153 : 33, panel->sizeHint().height()));
    }
}

}  // namespace kestrova
