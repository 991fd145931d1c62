#include "gui/views/overview_page.h"

#include "core/util/ini_file.h"
#include "core/app/language_engine.h"
#include "gui/app/ui_seam.h"
#include "core/model/road_text.h"
#include "render/overview_export.h"
#include "render/render_options.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace kestrova {

namespace {

const QString kStateFactors = QStringLiteral("OverviewFactors");
const QString kStateColouring = QStringLiteral("OverviewColouring");
const QString kStateSplit = QStringLiteral("OverviewSplit");

constexpr double kMinDiagramSpan = 20;  // metres shown at the deepest zoom

}  // namespace

// ---- canvas ----------------------------------------------------------------

TOverviewCanvas::TOverviewCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(120, 80);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TOverviewCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (Paint)
        Paint(painter, rect());
    else
        painter.fillRect(rect(), Qt::white);
}

void TOverviewCanvas::wheelEvent(QWheelEvent* event) {
    if (Wheel) Wheel(event->position(), event->angleDelta().y() / 120.0);
    event->accept();
}

void TOverviewCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    FPressed = true;
    FDragged = false;
    FPress = FLast = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void TOverviewCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (FPressed) {
        if ((pos - FPress).manhattanLength() > 3) FDragged = true;
        if (FDragged && Drag) Drag(pos - FLast);
        FLast = pos;
        return;
    }
    if (Hint) {
        const QString text = Hint(pos);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
}

void TOverviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !FPressed) return;
    FPressed = false;
    unsetCursor();
    if (!FDragged && Click) Click(event->position());
}

// ---- page ------------------------------------------------------------------

TOverviewPage::TOverviewPage(const tRoadModel& model, QWidget* parent) : QWidget(parent), FModel(model) {
    setObjectName(QStringLiteral("_x_panOverview"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(8, 8, 8, 8);
    lay->setSpacing(6);
    auto* bar = new QHBoxLayout();
    lay->addLayout(bar);
    BuildToolBar(bar);
    BuildCanvases(lay);
    ConnectCanvases();
}

// The factor choice, the map colouring, the reset and the export and copy menus.
void TOverviewPage::BuildToolBar(QHBoxLayout* bar) {
    FFactorsButton = new QToolButton(this);
    FFactorsButton->setObjectName(QStringLiteral("_x_btOverviewFactors"));
    FFactorsButton->setPopupMode(QToolButton::InstantPopup);
    FFactorsMenu = new QMenu(FFactorsButton);
    for (int f = 0; f < kSpeedFactorCount; ++f) {
        FFactorActions[f] = FFactorsMenu->addAction(FactorCode(f));
        FFactorActions[f]->setCheckable(true);
        connect(FFactorActions[f], &QAction::toggled, this, [this] { FactorsChanged(); });
    }
    FFactorsButton->setMenu(FFactorsMenu);
    bar->addWidget(FFactorsButton);

    FColouring = new QComboBox(this);
    FColouring->setObjectName(QStringLiteral("_x_cbOverviewColouring"));
    FColouring->addItems({QStringLiteral("min speed"), QStringLiteral("verdict")});
    FColouring->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(FColouring, &QComboBox::currentIndexChanged, this, [this](int i) {
        FMap.Colouring = i == 1 ? tMapColouring::Verdict : tMapColouring::MinSpeed;
        FMapCanvas->update();
    });
    bar->addWidget(FColouring);
    bar->addStretch(1);

    FReset = new QToolButton(this);
    FReset->setObjectName(QStringLiteral("_x_btOverviewReset"));
    connect(FReset, &QToolButton::clicked, this, [this] { ResetView(); });
    bar->addWidget(FReset);

    auto menuButton = [&](const QString& name, QAction* actions[2], const std::function<void(bool)>& run) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(b);
        for (int k = 0; k < 2; ++k) {
            actions[k] = menu->addAction(k == 0 ? QStringLiteral("diagram") : QStringLiteral("map"));
            connect(actions[k], &QAction::triggered, this, [run, k] { run(k == 1); });
        }
        b->setMenu(menu);
        bar->addWidget(b);
        return b;
    };
    FExport = menuButton(QStringLiteral("_x_btOverviewExport"), FExportActions, [this](bool map) { ExportClicked(map); });
    FCopy = menuButton(QStringLiteral("_x_btOverviewCopy"), FCopyActions, [this](bool map) { CopyClicked(map); });
}

// The diagram above the map, split by a bar the user can move.
void TOverviewPage::BuildCanvases(QVBoxLayout* lay) {
    FSplit = new QSplitter(Qt::Vertical, this);
    FSplit->setObjectName(QStringLiteral("_x_splOverview"));
    FSplit->setChildrenCollapsible(false);
    FDiagramCanvas = new TOverviewCanvas(FSplit);
    FDiagramCanvas->setObjectName(QStringLiteral("_x_imOverviewDiagram"));
    FMapCanvas = new TOverviewCanvas(FSplit);
    FMapCanvas->setObjectName(QStringLiteral("_x_imOverviewMap"));
    FSplit->addWidget(FDiagramCanvas);
    FSplit->addWidget(FMapCanvas);
    FSplit->setStretchFactor(0, 1);
    FSplit->setStretchFactor(1, 1);
    lay->addWidget(FSplit, 1);
}

// Painting and mouse work of the two canvases.
void TOverviewPage::ConnectCanvases() {
    FDiagramCanvas->Paint = [this](QPainter& p, const QRect& area) {
        FDiagram.CursorProfile = FCurrent;
        FDiagramLayout = PaintSpeedProfile(p, area, FModel, FDiagram);
    };
    FDiagramCanvas->Wheel = [this](const QPointF& pos, double steps) { ZoomDiagram(pos, steps); };
    FDiagramCanvas->Drag = [this](const QPointF& d) { PanDiagram(d); };
    FDiagramCanvas->Click = [this](const QPointF& pos) {
        const int p = SpeedProfileProfileAt(FModel, FDiagramLayout, pos.x());
        if (p >= 0) emit ProfileClicked(p);
    };
    FDiagramCanvas->Hint = [this](const QPointF& pos) {
        if (pos.y() < FDiagramLayout.Plot.top()) return QString();
        return ProfileHint(SpeedProfileProfileAt(FModel, FDiagramLayout, pos.x()));
    };
    FMapCanvas->Paint = [this](QPainter& p, const QRect& area) {
        FMap.MarkerProfile = FCurrent;
        FMapLayout = PaintPlanMap(p, area, FModel, FMap);
    };
    FMapCanvas->Wheel = [this](const QPointF& pos, double steps) { ZoomMap(pos, steps); };
    FMapCanvas->Drag = [this](const QPointF& d) { PanMap(d); };
    FMapCanvas->Click = [this](const QPointF& pos) {
        const int p = PlanMapProfileAt(FModel, FMapLayout, pos);
        if (p >= 0) emit ProfileClicked(p);
    };
    FMapCanvas->Hint = [this](const QPointF& pos) { return ProfileHint(PlanMapProfileAt(FModel, FMapLayout, pos)); };
}

QString TOverviewPage::Text(const char* key, const QString& fallback) const {
    if (!FLookup) return fallback;
    const QString k = QString::fromLatin1(key);
    const QString v = FLookup(OverviewSection(), k);
    return v.isEmpty() || v == k ? fallback : v;
}

void TOverviewPage::ApplyLanguage(const tLookup& lookup) {
    FLookup = lookup;
    FDiagram.Texts = OverviewTextsFrom(lookup);
    FMap.Texts = FDiagram.Texts;
    FFactorsButton->setText(Text("Factors", QStringLiteral("Factors")));
    for (int f = 0; f < kSpeedFactorCount; ++f) FFactorActions[f]->setText(FDiagram.Texts.FactorText(f));
    {
        const QSignalBlocker block(FColouring);
        FColouring->setItemText(0, Text("Colouring.MinSpeed", QStringLiteral("Map: minimum speed")));
        FColouring->setItemText(1, Text("Colouring.Verdict", QStringLiteral("Map: verdict")));
    }
    FReset->setText(Text("Reset", QStringLiteral("Whole road")));
    FExport->setText(Text("Export", QStringLiteral("Save picture")));
    FCopy->setText(Text("Copy", QStringLiteral("Copy")));
    for (QAction** set : {FExportActions, FCopyActions}) {
        set[0]->setText(Text("Diagram", QStringLiteral("Speed profile")));
        set[1]->setText(Text("Map", QStringLiteral("Plan map")));
    }
    FDiagramCanvas->update();
    FMapCanvas->update();
}

void TOverviewPage::ResultsReady() {
    FCurrent = FModel.Plan.Count() > 0 ? 0 : -1;
    ResetView();
}

void TOverviewPage::ResetView() {
    FDiagram.Range = {};
    FMap.MetresPerPixel = 0;
    FDiagramCanvas->update();
    FMapCanvas->update();
}

void TOverviewPage::SetCurrentProfile(int profile) {
    if (profile == FCurrent) return;
    FCurrent = profile;
    FDiagramCanvas->update();
    FMapCanvas->update();
}

void TOverviewPage::SetFactors(tFactorSet factors) {
    for (int f = 0; f < kSpeedFactorCount; ++f) {
        const QSignalBlocker block(FFactorActions[f]);
        FFactorActions[f]->setChecked(HasFactor(factors, f));
    }
    FactorsChanged();
}

void TOverviewPage::SetColouring(tMapColouring colouring) {
    FColouring->setCurrentIndex(colouring == tMapColouring::Verdict ? 1 : 0);
}

void TOverviewPage::FactorsChanged() {
    tFactorSet set = 0;
    for (int f = 0; f < kSpeedFactorCount; ++f)
        if (FFactorActions[f]->isChecked()) set |= FactorBit(f);
    FDiagram.Factors = set;
    FDiagramCanvas->update();
}

void TOverviewPage::SaveState(TIniFile& ini, const QString& section) const {
    ini.WriteText(section, kStateFactors, FactorListText(FDiagram.Factors));
    ini.WriteNumber(section, kStateColouring, FMap.Colouring == tMapColouring::Verdict ? 1 : 0);
    // The diagram's share of the split in thousandths, so it fits any window size.
    const QList<int> sizes = FSplit->sizes();
    const int total = sizes.size() == 2 ? sizes[0] + sizes[1] : 0;
    if (total > 0) ini.WriteNumber(section, kStateSplit, int(std::lround(1000.0 * sizes[0] / total)));
}

void TOverviewPage::LoadState(const TIniFile& ini, const QString& section) {
    tFactorSet set = 0;
    if (ParseFactorList(ini.ReadText(section, kStateFactors, QString()), set)) SetFactors(set);
    const int colouring = ini.ReadNumber(section, kStateColouring, 0);
    SetColouring(colouring == 1 ? tMapColouring::Verdict : tMapColouring::MinSpeed);
    const int share = ini.ReadNumber(section, kStateSplit, -1);
    if (share >= 50 && share <= 950) FSplit->setSizes({share * 10, (1000 - share) * 10});
}

void TOverviewPage::ZoomDiagram(const QPointF& pos, double steps) {
    const tKmRange whole = EffectiveRange(FModel.Plan, {});
    const tKmRange now = EffectiveRange(FModel.Plan, FDiagram.Range);
    const double wholeSpan = whole.ToM - whole.FromM;
    double span = (now.ToM - now.FromM) * std::pow(0.8, steps);
    span = std::clamp(span, std::min(kMinDiagramSpan, wholeSpan), wholeSpan);
    const QRect& P = FDiagramLayout.Plot;
    const double x = std::clamp(pos.x(), double(P.left()), double(P.right()));
    const double anchor = FDiagramLayout.KmOfX(x);
    const double share = P.width() > 0 ? (x - P.left()) / P.width() : 0.5;
    double from = anchor - share * span;
    from = std::clamp(from, whole.FromM, whole.ToM - span);
    FDiagram.Range = span >= wholeSpan ? tKmRange{} : tKmRange{from, from + span};
    FDiagramCanvas->update();
}

void TOverviewPage::PanDiagram(const QPointF& delta) {
    if (FDiagram.Range.IsWhole()) return;
    const tKmRange whole = EffectiveRange(FModel.Plan, {});
    const double span = FDiagram.Range.ToM - FDiagram.Range.FromM;
    const double w = std::max(1, FDiagramLayout.Plot.width());
    double from = FDiagram.Range.FromM - delta.x() / w * span;
    from = std::clamp(from, whole.FromM, whole.ToM - span);
    FDiagram.Range = {from, from + span};
    FDiagramCanvas->update();
}

void TOverviewPage::ZoomMap(const QPointF& pos, double steps) {
    const double mpp = FMapLayout.MetresPerPixel * std::pow(0.8, steps);
    const QPointF plan = FMapLayout.ToPlan(pos);
    const QPointF c = QRectF(FMapLayout.Area).center();
    FMap.MetresPerPixel = std::clamp(mpp, 0.02, 5000.0);
    FMap.Centre = QPointF(plan.x() - (pos.x() - c.x()) * FMap.MetresPerPixel,
                          plan.y() + (pos.y() - c.y()) * FMap.MetresPerPixel);
    FMapCanvas->update();
}

void TOverviewPage::PanMap(const QPointF& delta) {
    if (FMap.MetresPerPixel <= 0) {
        FMap.MetresPerPixel = FMapLayout.MetresPerPixel;
        FMap.Centre = FMapLayout.Centre;
    }
    FMap.Centre += QPointF(-delta.x() * FMap.MetresPerPixel, delta.y() * FMap.MetresPerPixel);
    FMapCanvas->update();
}

QString TOverviewPage::ProfileHint(int profile) const {
    if (profile < 0 || profile >= FModel.Plan.Count()) return {};
    const tPlanProfile& p = FModel.Plan.Profiles[size_t(profile)];
    const tOverviewTexts& t = FDiagram.Texts;
    QStringList lines;
    lines << t.AxisKm + QStringLiteral(" ") + FormatKmPlus(true, p.Position);
    lines << t.MinFwd + QStringLiteral(": ") + ShortestText(p.MinV[DirFwd]) + QStringLiteral(" (") +
                 t.CauseText(p.Cause[DirFwd]) + QStringLiteral(")");
    lines << t.MinRev + QStringLiteral(": ") + ShortestText(p.MinV[DirRev]) + QStringLiteral(" (") +
                 t.CauseText(p.Cause[DirRev]) + QStringLiteral(")");
    lines << t.Free + QStringLiteral(": ") + ShortestText(p.FreeV);
    for (int f = 0; f < kSpeedFactorCount; ++f)
        if (HasFactor(FDiagram.Factors, f)) lines << t.FactorText(f) + QStringLiteral(": ") + ShortestText(FactorSpeed(p, f));
    return lines.join(QLatin1Char('\n'));
}

QImage TOverviewPage::DiagramImage() const {
    tSpeedProfileOptions o = FDiagram;
    o.CursorProfile = FCurrent;
    return RenderSpeedProfile(FModel, o, FDiagramCanvas->size());
}

QImage TOverviewPage::MapImage() const {
    tPlanMapOptions o = FMap;
    o.MarkerProfile = FCurrent;
    return RenderPlanMap(FModel, o, FMapCanvas->size());
}

bool TOverviewPage::ExportPicture(bool map, const QString& fileName) {
    tSpeedProfileOptions d = FDiagram;
    d.CursorProfile = FCurrent;
    tPlanMapOptions m = FMap;
    m.MarkerProfile = FCurrent;
    const QSize size = map ? FMapCanvas->size() : FDiagramCanvas->size();
    const tOverviewPaint paint = map ? tOverviewPaint([this, m](QPainter& p, const QRect& a) { PaintPlanMap(p, a, FModel, m); })
                                     : tOverviewPaint([this, d](QPainter& p, const QRect& a) { PaintSpeedProfile(p, a, FModel, d); });
    QString error;
    const bool svg = QFileInfo(fileName).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0;
    const bool ok = svg ? WriteOverviewSvg(fileName, size, QStringLiteral("Kestrova"), paint, &error)
                        : WriteOverviewPng(fileName, size, paint, &error);
    if (!ok) {
        QString text = Text("ExportError", QStringLiteral("Cannot write the picture file %FileName%."));
        text.replace(QStringLiteral("%FileName%"), QDir::toNativeSeparators(fileName));
        UiSeam().ShowMessage(window(), window()->windowTitle(), text, tBoxIcon::Error);
    }
    return ok;
}

void TOverviewPage::ExportClicked(bool map) {
    tFileDialogRequest request;
    request.Title = Text("SaveDialog.Title", QStringLiteral("Save picture"));
    request.Filter = Text("SaveDialog.Filter", QStringLiteral("PNG picture|*.png|SVG drawing|*.svg"));
    request.FileName = map ? QStringLiteral("plan-map.png") : QStringLiteral("speed-profile.png");
    request.DefaultSuffix = QStringLiteral("png");
    const QString fileName = UiSeam().SaveFileName(window(), request);
    if (!fileName.isEmpty()) ExportPicture(map, fileName);
}

void TOverviewPage::CopyClicked(bool map) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setImage(map ? MapImage() : DiagramImage());
}

}  // namespace kestrova
