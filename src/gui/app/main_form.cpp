#include "app/main_form.h"

#include "app/example_folder.h"
#include "app/gis_export_dialog.h"
#include "util/ini_file.h"
#include "app/product.h"
#include "app/report_command.h"
#include "app/settings_folder.h"
#include "app/ui_seam.h"
#include "views/image_view.h"
#include "views/overview_page.h"
#include "views/string_grid.h"

#include "app/translate_form.h"
#include "app/version_stamp.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

// The resources are compiled into a static library; they register once.
static void InitKestrovaResources() { Q_INIT_RESOURCE(kestrova); }

namespace kestrova {

QString ExeFolderOfApplication() {
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

namespace {

template <class T>
T* Named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

QProgressBar* NewBar(const QString& name, QWidget* parent) {
    auto* bar = Named(new QProgressBar(parent), name);
    bar->setTextVisible(false);
    bar->setMaximumHeight(16);
    bar->hide();
    return bar;
}

}  // namespace

TMainForm::TMainForm(const tMainFormSetup& setup, QWidget* parent)
    : QMainWindow(parent), FSetup(setup), gLanguageEngine(MakeKestrovaLanguageEngine()) {
    InitKestrovaResources();
    setObjectName(QStringLiteral("MainForm"));
    FExeFolder = setup.ExeFolder.isEmpty() ? ExeFolderOfApplication() : setup.ExeFolder;
    if (!FExeFolder.endsWith(QLatin1Char('/'))) FExeFolder += QLatin1Char('/');
    setMinimumSize(800, 600);
    resize(800, 600);

    backPanel = Named(new QWidget(this), QStringLiteral("backPanel"));
    setCentralWidget(backPanel);
    auto* back = new QVBoxLayout(backPanel);
    back->setContentsMargins(2, 2, 2, 2);
    back->setSpacing(0);
    tabs = Named(new QTabBar(backPanel), QStringLiteral("tabs"));
    tabs->setExpanding(false);
    tabs->setDrawBase(true);
    tabs->addTab(QStringLiteral("tabAbout"));
    tabs->addTab(QStringLiteral("tabSourceData"));
    back->addWidget(tabs);
    pageArea = Named(new QWidget(backPanel), QStringLiteral("_x_pageArea"));
    auto* pages = new QGridLayout(pageArea);
    pages->setContentsMargins(0, 0, 0, 0);
    back->addWidget(pageArea, 1);

    Panel5 = Named(new QWidget(pageArea), QStringLiteral("Panel5"));
    panel0 = Named(new QWidget(pageArea), QStringLiteral("panel0"));
    Panel4 = Named(new QWidget(pageArea), QStringLiteral("Panel4"));
    panel1 = Named(new QWidget(pageArea), QStringLiteral("panel1"));
    Panel6 = Named(new QWidget(pageArea), QStringLiteral("Panel6"));
    panel2 = Named(new QWidget(pageArea), QStringLiteral("panel2"));
    Panel3 = Named(new QWidget(pageArea), QStringLiteral("Panel3"));
    for (QWidget* p : {Panel5, panel0, Panel4, panel1, Panel6, panel2, Panel3}) pages->addWidget(p, 0, 0);
    panOverview = new TOverviewPage(FModel, pageArea);
    pages->addWidget(panOverview, 0, 0);
    connect(panOverview, &TOverviewPage::ProfileClicked, this, [this](int profile) {
        gDraftV->SetRow(profile + 1);
        gridClick(gDraftV);
    });

    BuildAboutPage();
    BuildLoadPage();
    BuildGridPages();
    BuildViewPage();
    BuildCRoadsPage();

    connect(tabs, &QTabBar::currentChanged, this, [this] { tabsChange(); });
    pageArea->installEventFilter(this);
    CreateViewBuffers();
    FormCreate();
}

void TMainForm::FormCreate() {
    StampVersion(FExeFolder + QStringLiteral("KestrovaVersion"), QStringLiteral("c_ProgVersion"));
}

// ---- pages ---------------------------------------------------------------

void TMainForm::BuildAboutPage() {
    auto* lay = new QHBoxLayout(Panel5);
    auto* left = new QVBoxLayout;
    lay->addLayout(left, 1);

    gbLanguageSelect = Named(new QGroupBox(QStringLiteral(" gbLanguageSelect "), Panel5), QStringLiteral("gbLanguageSelect"));
    auto* langLay = new QHBoxLayout(gbLanguageSelect);
    _x_cbLangSelect = Named(new QComboBox(gbLanguageSelect), QStringLiteral("_x_cbLangSelect"));
    _x_cbLangSelect->setEditable(false);
    langLay->addWidget(_x_cbLangSelect, 1);
    edLang = Named(new QLineEdit(gbLanguageSelect), QStringLiteral("edLang"));
    edLang->hide();
    _x_LangCreate = Named(new QPushButton(QStringLiteral("Create template"), gbLanguageSelect), QStringLiteral("_x_LangCreate"));
    _x_LangCreate->hide();
    _x_LangCreate->setEnabled(false);
    left->addWidget(gbLanguageSelect);

    _x_AboutPan = Named(new QWidget(Panel5), QStringLiteral("_x_AboutPan"));
    auto* aboutLay = new QVBoxLayout(_x_AboutPan);
    aboutLay->setContentsMargins(0, 0, 0, 0);
    _x_mAboutInfo1 = Named(new QPlainTextEdit(_x_AboutPan), QStringLiteral("_x_mAboutInfo1"));
    QFont big = _x_mAboutInfo1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    _x_mAboutInfo1->setFont(big);
    _x_mAboutInfo1->setReadOnly(true);
    _x_mAboutInfo1->setMaximumHeight(110);
    _x_mAboutInfo2 = Named(new QPlainTextEdit(_x_AboutPan), QStringLiteral("_x_mAboutInfo2"));
    _x_mAboutInfo2->setReadOnly(true);
    _x_mAboutInfo2->setLineWrapMode(QPlainTextEdit::WidgetWidth);  // no sideways scrolling at any width
    aboutLay->addWidget(_x_mAboutInfo1);
    aboutLay->addWidget(_x_mAboutInfo2, 1);
    left->addWidget(_x_AboutPan, 1);

    _splashPan = Named(new QWidget(Panel5), QStringLiteral("_splashPan"));
    auto* splashLay = new QVBoxLayout(_splashPan);
    _splash = new TImageView(QStringLiteral("_splash"), _splashPan);
    _splash->setFixedSize(274, 394);
    _splash->SetPicture(QImage(QStringLiteral(":/splash.png")));
    _x_AppName = Named(new QLabel(kProductName, _splashPan), QStringLiteral("_x_AppName"));
    QFont nameFont = _x_AppName->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    _x_AppName->setFont(nameFont);
    _x_AppName->setStyleSheet(QStringLiteral("color: rgb(0,0,255);"));
    _x_AppName->setAlignment(Qt::AlignCenter);
    _x_AppVersion = Named(new QLabel(kAboutVersionText, _splashPan), QStringLiteral("_x_AppVersion"));
    _x_AppVersion->setAlignment(Qt::AlignCenter);
    splashLay->addWidget(_splash, 0, Qt::AlignHCenter);
    splashLay->addWidget(_x_AppName);
    splashLay->addWidget(_x_AppVersion);
    splashLay->addStretch(1);
    lay->addWidget(_splashPan);

    connect(_x_cbLangSelect, &QComboBox::currentIndexChanged, this, [this] { _x_cbLangSelectChange(); });
    connect(_x_LangCreate, &QPushButton::clicked, this, [this] {
        const QString entry = _x_cbLangSelect->currentText();
        WriteTemplate(gLanguageEngine, FLanguageFiles.value(entry, FExeFolder + QStringLiteral("LANG/") + entry + QStringLiteral(".lng")), this);
    });
}

void TMainForm::BuildLoadPage() {
    auto* lay = new QVBoxLayout(panel0);
    lay->setContentsMargins(8, 8, 8, 8);
    lay->setSpacing(8);
    const QString examples = ExampleFolder(FExeFolder);

    struct tGroup {
        QGroupBox*& box;
        QString boxName;
        QLineEdit*& edit;
        QString editName;
        QPushButton*& browse;
        QString browseName;
        QPushButton*& load;
        QString loadName;
        QProgressBar*& bar;
        QString barName;
        QLabel*& count;
        QString countName;
        QString example;
    };
    tGroup groups[3] = {
        {gbLoadRoadData, QStringLiteral("gbLoadRoadData"), edOpenXL, QStringLiteral("edOpenXL"), _x_btOpenDialMain,
         QStringLiteral("_x_btOpenDialMain"), btLoadData__Main, QStringLiteral("btLoadData__Main"), pbMain,
         QStringLiteral("pbMain"), _x_lbMainCount, QStringLiteral("_x_lbMainCount"), QStringLiteral("road.csv")},
        {gbLoadVegetationBuildings, QStringLiteral("gbLoadVegetationBuildings"), edOpenGreenXL, QStringLiteral("edOpenGreenXL"),
         _x_btOpenDialGreen, QStringLiteral("_x_btOpenDialGreen"), btLoadData__Green, QStringLiteral("btLoadData__Green"),
         pbGreen, QStringLiteral("pbGreen"), _x_lbGreenCount, QStringLiteral("_x_lbGreenCount"), QStringLiteral("greens.csv")},
        {gbLoadCrossRoads, QStringLiteral("gbLoadCrossRoads"), edOpenCrossXL, QStringLiteral("edOpenCrossXL"),
         _x_btOpenDialCross, QStringLiteral("_x_btOpenDialCross"), btLoadData__Cross, QStringLiteral("btLoadData__Cross"),
         pbCross, QStringLiteral("pbCross"), _x_lbCrossCount, QStringLiteral("_x_lbCrossCount"), QStringLiteral("crossroads.csv")},
    };
    for (int i = 0; i < 3; ++i) {
        tGroup& g = groups[i];
        g.box = Named(new QGroupBox(QLatin1Char(' ') + g.boxName + QLatin1Char(' '), panel0), g.boxName);
        auto* grid = new QGridLayout(g.box);
        g.edit = Named(new QLineEdit(examples + g.example, g.box), g.editName);
        g.browse = Named(new QPushButton(QStringLiteral("..."), g.box), g.browseName);
        g.browse->setFixedWidth(32);
        g.load = Named(new QPushButton(g.loadName.section(QStringLiteral("__"), 0, 0), g.box), g.loadName);
        g.load->setMinimumWidth(140);
        g.bar = NewBar(g.barName, g.box);
        g.count = Named(new QLabel(g.box), g.countName);
        g.count->hide();
        grid->addWidget(g.edit, 0, 0, 1, 3);
        grid->addWidget(g.browse, 0, 3);
        grid->addWidget(g.load, 0, 4);
        grid->addWidget(g.bar, 2, 0, 1, 3);
        // The three file boxes stay equally wide: a loaded table's buttons
        // keep their room, and its count line spans the group without
        // widening the button columns.
        g.count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        g.count->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        grid->addWidget(g.count, 3, 0, 1, 5);
        for (QWidget* keep : {static_cast<QWidget*>(g.browse), static_cast<QWidget*>(g.load)}) {
            QSizePolicy policy = keep->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            keep->setSizePolicy(policy);
        }
        grid->setColumnStretch(0, 1);
        lay->addWidget(g.box);
        connect(g.browse, &QPushButton::clicked, this, [this, b = g.browse] { _x_btOpenDialMainClick(b); });
        if (i > 0) {
            const QString suffix = i == 1 ? QStringLiteral("__Green") : QStringLiteral("__Cross");
            auto* sep = Named(new QRadioButton(QStringLiteral("rbSeparateFile"), g.box), QStringLiteral("rbSeparateFile") + suffix);
            auto* second = Named(new QRadioButton(QStringLiteral("rbSecondSheet"), g.box), QStringLiteral("rbSecondSheet") + suffix);
            auto* third = Named(new QRadioButton(QStringLiteral("rbThirdSheet"), g.box), QStringLiteral("rbThirdSheet") + suffix);
            sep->setChecked(true);
            auto* row = new QHBoxLayout;
            row->addWidget(sep);
            row->addWidget(second);
            row->addWidget(third);
            row->addStretch(1);
            grid->addLayout(row, 1, 0, 1, 5);
            if (i == 1) {
                rbSeparateFile__Green = sep;
                rbSecondSheet__Green = second;
                rbThirdSheet__Green = third;
            } else {
                rbSeparateFile__Cross = sep;
                rbSecondSheet__Cross = second;
                rbThirdSheet__Cross = third;
            }
            for (QRadioButton* rb : {sep, second, third})
                connect(rb, &QRadioButton::clicked, this, [this, i] { i == 1 ? rbSelectGreenSource() : rbSelectCrossSource(); });
            g.box->hide();
        }
    }
    _x_TestButton = Named(new QPushButton(QStringLiteral("Load all && calc"), gbLoadRoadData), QStringLiteral("_x_TestButton"));
    static_cast<QGridLayout*>(gbLoadRoadData->layout())->addWidget(_x_TestButton, 1, 4);
    _x_TestButton->hide();
    _x_TestButton->setEnabled(false);

    gbStartCalc = Named(new QGroupBox(QStringLiteral(" gbStartCalc "), panel0), QStringLiteral("gbStartCalc"));
    auto* calc = new QGridLayout(gbStartCalc);
    btStartCalc = Named(new QPushButton(QStringLiteral("btStartCalc"), gbStartCalc), QStringLiteral("btStartCalc"));
    btStartCalc->setMinimumWidth(140);
    pbCalc = NewBar(QStringLiteral("pbCalc"), gbStartCalc);
    _x_mCalcLog = Named(new QPlainTextEdit(gbStartCalc), QStringLiteral("_x_mCalcLog"));
    _x_mCalcLog->setReadOnly(true);
    _x_mCalcLog->hide();
    calc->addWidget(btStartCalc, 0, 0);
    calc->addWidget(pbCalc, 0, 1);
    calc->addWidget(_x_mCalcLog, 1, 0, 1, 2);
    FReport = new TReportCommand(*this, calc, 2);
    calc->setColumnStretch(1, 1);
    calc->setRowStretch(1, 1);
    lay->addWidget(gbStartCalc, 1);
    gbStartCalc->hide();
    lay->addStretch(0);

    connect(btLoadData__Main, &QPushButton::clicked, this, [this] { btLoadData__MainClick(); });
    connect(btLoadData__Cross, &QPushButton::clicked, this, [this] { btLoadData__CrossClick(); });
    connect(btLoadData__Green, &QPushButton::clicked, this, [this] { btLoadData__GreenClick(); });
    connect(btStartCalc, &QPushButton::clicked, this, [this] { btStartCalcClick(); });
    connect(_x_TestButton, &QPushButton::clicked, this, [this] { _x_TestButtonClick(); });
}

QWidget* TMainForm::BuildGridPage(const QString&, TStringGrid* grid, QLabel* label, QLineEdit* edit, QPushButton* search,
                                  QPushButton* exportButton, QProgressBar* bar) {
    QWidget* panel = grid->parentWidget();
    auto* lay = new QVBoxLayout(panel);
    lay->setContentsMargins(4, 4, 4, 4);
    auto* top = new QHBoxLayout;
    top->addWidget(label);
    edit->setInputMask(QStringLiteral("0009\\+999\\,00; "));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("9999+999,99")) + 24);
    top->addWidget(edit);
    top->addWidget(search);
    top->addStretch(1);
    top->addWidget(bar, 1);
    top->addWidget(exportButton);
    lay->addLayout(top);
    lay->addWidget(grid, 1);
    search->setEnabled(false);
    connect(edit, &QLineEdit::textChanged, this, [this, edit] { edSearchKmpChange(edit); });
    connect(search, &QPushButton::clicked, this, [this, search] { btSearhKmpClick(search); });
    connect(exportButton, &QPushButton::clicked, this, [this, exportButton] { btExportGridClick(exportButton); });
    connect(grid, &TStringGrid::Clicked, this, [this](TStringGrid* g) { gridClick(g); });
    connect(grid, &TStringGrid::TopLeftChanged, this, [this](TStringGrid* g) { gridTopLeftChanged(g); });
    return panel;
}

void TMainForm::BuildGridPages() {
    struct tPage {
        QWidget* panel;
        TStringGrid*& grid;
        QString gridName;
        QLabel*& label;
        QString labelName;
        QLineEdit*& edit;
        QString editName;
        QPushButton*& search;
        QString searchName;
        QPushButton*& exportButton;
        QString exportName;
        QProgressBar*& bar;
        QString barName;
    };
    tPage pages[3] = {
        {Panel4, gSourceData, QStringLiteral("gSourceData"), lbSearchKmPlus__SoureceData,
         QStringLiteral("lbSearchKmPlus__SoureceData"), edSearchKmpSourceData, QStringLiteral("edSearchKmpSourceData"),
         btSearchKmp__SourceData, QStringLiteral("btSearchKmp__SourceData"), btExport__Source,
         QStringLiteral("btExport__Source"), pbSourceData, QStringLiteral("pbSourceData")},
        {panel1, gDraftV, QStringLiteral("gDraftV"), lbSearchKmPlus__DraftV, QStringLiteral("lbSearchKmPlus__DraftV"),
         edSearchKmpDraftV, QStringLiteral("edSearchKmpDraftV"), btSearchKmp__DraftV, QStringLiteral("btSearchKmp__DraftV"),
         btExport__Draft, QStringLiteral("btExport__Draft"), pbDraftV, QStringLiteral("pbDraftV")},
        {Panel6, gPivotData, QStringLiteral("gPivotData"), lbSearchKmPlus__PivotData, QStringLiteral("lbSearchKmPlus__PivotData"),
         edSearchKmpPivotData, QStringLiteral("edSearchKmpPivotData"), btSearchKmp__PivotData,
         QStringLiteral("btSearchKmp__PivotData"), btExport__PivotData, QStringLiteral("btExport__PivotData"), pbPivotData,
         QStringLiteral("pbPivotData")},
    };
    for (tPage& p : pages) {
        p.grid = new TStringGrid(p.gridName, p.panel);
        p.label = Named(new QLabel(QStringLiteral("lbSearchKmPlus"), p.panel), p.labelName);
        p.edit = Named(new QLineEdit(p.panel), p.editName);
        p.search = Named(new QPushButton(QStringLiteral("btSearchKmp"), p.panel), p.searchName);
        p.exportButton = Named(new QPushButton(QStringLiteral("btExport"), p.panel), p.exportName);
        p.bar = NewBar(p.barName, p.panel);
        BuildGridPage(p.gridName, p.grid, p.label, p.edit, p.search, p.exportButton, p.bar);
    }
    gSourceData->SetSize(14, 1);
    gSourceData->SetFixedCols(3);
    gDraftV->SetSize(22, 1);
    gDraftV->SetFixedCols(3);
    gPivotData->SetSize(14, 1);
    gPivotData->SetFixedCols(4);
    gSourceData->DrawCell = [this](QPainter& p, const tCellDraw& c) { PaintSourceCell(p, *gSourceData, c); };
    gDraftV->DrawCell = [this](QPainter& p, const tCellDraw& c) { PaintDraftCell(p, *gDraftV, c, FModel); };
    gPivotData->DrawCell = [this](QPainter& p, const tCellDraw& c) { PaintPivotCell(p, *gPivotData, c, FModel); };

    pmExport = Named(new QMenu(this), QStringLiteral("pmExport"));
    pmiExcelExport = pmExport->addAction(QStringLiteral("pmiExcelExport"));
    pmiExcelExport->setObjectName(QStringLiteral("pmiExcelExport"));
    pmiCsvExport = pmExport->addAction(QStringLiteral("pmiCsvExport"));
    pmiCsvExport->setObjectName(QStringLiteral("pmiCsvExport"));
    connect(pmExport, &QMenu::triggered, this, [this](QAction* a) { pmiExportClick(a); });
    AddGisExportItem(pmExport, this);
}

void TMainForm::BuildViewPage() {
    Im3d = new TImageView(QStringLiteral("Im3d"), panel2);
    gProfilesList = new TStringGrid(QStringLiteral("gProfilesList"), panel2);
    gProfilesList->SetSize(6, 1);
    gProfilesList->SetRowSelect(true);
    gProfilesList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 2; c < 6; ++c) gProfilesList->SetColWidth(c, -1);
    gProfilesList->DrawCell = [this](QPainter& p, const tCellDraw& c) {
        PaintProfilesListCell(p, *gProfilesList, c, CurrentViewTab());
    };
    connect(gProfilesList, &TStringGrid::Clicked, this, [this](TStringGrid* g) { gridClick(g); });

    pan3Dtools = Named(new QWidget(panel2), QStringLiteral("pan3Dtools"));
    pan3Dtools->resize(201, 153);
    auto* tools = new QVBoxLayout(pan3Dtools);
    tools->setContentsMargins(8, 4, 4, 4);
    rgLookHeight = Named(new QGroupBox(QStringLiteral(" rgLookHeight "), pan3Dtools), QStringLiteral("rgLookHeight"));
    rgLookHeight->setProperty("radioGroup", true);
    auto* rg = new QVBoxLayout(rgLookHeight);
    rg->setSpacing(0);
    rg->setContentsMargins(6, 4, 4, 4);  // room for the longest item in one line
    for (int i = 0; i < 4; ++i) {
        rgLookHeightItems[i] = Named(new QRadioButton(QStringLiteral("rgLookHeight.Item%1").arg(i), rgLookHeight),
                                     QStringLiteral("_x_rgLookHeight_Item%1").arg(i));
        rg->addWidget(rgLookHeightItems[i]);
        connect(rgLookHeightItems[i], &QRadioButton::clicked, this, [this] { tabsChange(); });
    }
    rgLookHeightItems[1]->setChecked(true);
    cbDrawLookLines__3D = Named(new QCheckBox(QStringLiteral("cbDrawLookLines"), pan3Dtools), QStringLiteral("cbDrawLookLines__3D"));
    cbDrawLookLines__3D->setChecked(true);
    cbDrawRoadGrid__3D = Named(new QCheckBox(QStringLiteral("cbDrawRoadGrid"), pan3Dtools), QStringLiteral("cbDrawRoadGrid__3D"));
    cbDrawRoadGrid__3D->setChecked(true);
    tools->addWidget(rgLookHeight);
    tools->addWidget(cbDrawLookLines__3D);
    tools->addWidget(cbDrawRoadGrid__3D);
    cbDrawRoadGrid__3D->hide();
    pan3Dtools->hide();
    connect(cbDrawLookLines__3D, &QCheckBox::clicked, this, [this] { tabsChange(); });
    connect(cbDrawRoadGrid__3D, &QCheckBox::clicked, this, [this] { tabsChange(); });

    panCProfileTools = Named(new QWidget(panel2), QStringLiteral("panCProfileTools"));
    panCProfileTools->resize(201, 33);
    auto* cp = new QHBoxLayout(panCProfileTools);
    cp->setContentsMargins(8, 4, 4, 4);
    cbCropProfile30m = Named(new QCheckBox(QStringLiteral("cbCropProfile30m"), panCProfileTools), QStringLiteral("cbCropProfile30m"));
    cp->addWidget(cbCropProfile30m);
    panCProfileTools->hide();
    connect(cbCropProfile30m, &QCheckBox::clicked, this, [this] { tabsChange(); });

    gbCursorMeas = Named(new QGroupBox(QStringLiteral(" gbCursorMeas "), panel2), QStringLiteral("gbCursorMeas"));
    auto* meas = new QHBoxLayout(gbCursorMeas);
    meas->setContentsMargins(8, 0, 8, 2);
    _x_XMeas = Named(new QLabel(gbCursorMeas), QStringLiteral("_x_XMeas"));
    _x_YMeas = Named(new QLabel(gbCursorMeas), QStringLiteral("_x_YMeas"));
    meas->addWidget(_x_XMeas, 1);
    meas->addWidget(_x_YMeas, 1);
    gbCursorMeas->hide();
    connect(Im3d, &TImageView::MouseMoved, this, [this](const QPoint& p) { Im3dMouseMove(p); });
}

void TMainForm::BuildCRoadsPage() {
    auto* lay = new QHBoxLayout(Panel3);
    auto* left = new QVBoxLayout;
    gbCRoadList = Named(new QGroupBox(QStringLiteral(" gbCRoadList "), Panel3), QStringLiteral("gbCRoadList"));
    auto* l1 = new QVBoxLayout(gbCRoadList);
    gCRoadsList = new TStringGrid(QStringLiteral("gCRoadsList"), gbCRoadList);
    gCRoadsList->SetSize(4, 1);
    gCRoadsList->SetRowSelect(true);
    gCRoadsList->SetColWidth(2, -1);
    gCRoadsList->SetColWidth(3, -1);
    gCRoadsList->Model().SetCellTips(true);  // long names are cut in the list
    gCRoadsList->DrawCell = [this](QPainter& p, const tCellDraw& c) { PaintCRoadsListCell(p, *gCRoadsList, c); };
    rbCRoadFwd = Named(new QRadioButton(QStringLiteral("rbCRoadFwd"), gbCRoadList), QStringLiteral("rbCRoadFwd"));
    rbCRoadRev = Named(new QRadioButton(QStringLiteral("rbCRoadRev"), gbCRoadList), QStringLiteral("rbCRoadRev"));
    rbCRoadFwd->setChecked(true);
    l1->addWidget(gCRoadsList, 1);
    auto* dirs = new QVBoxLayout;
    dirs->addWidget(rbCRoadFwd);
    dirs->addWidget(rbCRoadRev);
    l1->addLayout(dirs);
    gbCRoadsPProfiles = Named(new QGroupBox(QStringLiteral(" gbCRoadsPProfiles "), Panel3), QStringLiteral("gbCRoadsPProfiles"));
    auto* l2 = new QVBoxLayout(gbCRoadsPProfiles);
    gCrProfilesList = new TStringGrid(QStringLiteral("gCrProfilesList"), gbCRoadsPProfiles);
    gCrProfilesList->SetSize(4, 1);
    gCrProfilesList->SetRowSelect(true);
    gCrProfilesList->SetColWidth(2, -1);
    gCrProfilesList->SetColWidth(3, -1);
    gCrProfilesList->DrawCell = [this](QPainter& p, const tCellDraw& c) { PaintCrProfilesListCell(p, *gCrProfilesList, c); };
    l2->addWidget(gCrProfilesList, 1);
    left->addWidget(gbCRoadList, 1);
    left->addWidget(gbCRoadsPProfiles, 1);
    auto* leftBox = new QWidget(Panel3);
    leftBox->setLayout(left);
    leftBox->setFixedWidth(300);
    left->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(leftBox);
    imCRoads = new TImageView(QStringLiteral("imCRoads"), Panel3);
    lay->addWidget(imCRoads, 1);
    // A skipped crossroad hides these two; the list and the directions stay put.
    for (QWidget* hidden : {static_cast<QWidget*>(gbCRoadsPProfiles), static_cast<QWidget*>(imCRoads)}) {
        QSizePolicy policy = hidden->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        hidden->setSizePolicy(policy);
    }

    connect(gCRoadsList, &TStringGrid::Clicked, this, [this] { gCRoadsListClick(); });
    connect(rbCRoadFwd, &QRadioButton::clicked, this, [this] { gCRoadsListClick(); });
    connect(rbCRoadRev, &QRadioButton::clicked, this, [this] { gCRoadsListClick(); });
    connect(gCrProfilesList, &TStringGrid::Clicked, this, [this] { gCrProfilesListClick(); });
}

// ---- lifecycle -----------------------------------------------------------

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShownOnce) {
        FShownOnce = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    QApplication::setApplicationDisplayName(QString());
    setWindowTitle(ApplicationTitle());
    FSettingsFileName = !FSetup.SettingsFileName.isEmpty() ? FSetup.SettingsFileName : kestrova::SettingsFileName(FExeFolder);
    for (QWidget* p : {panel0, panel1, panel2, Panel3, Panel4, Panel5, Panel6}) p->hide();
    panOverview->hide();
    if (QFileInfo::exists(FExeFolder + QStringLiteral("KestrovaVersion"))) {
        _x_TestButton->setEnabled(true);
        _x_TestButton->show();
        ProcessMessages();
        _x_TestButton->setText(QStringLiteral("Load all && calc"));
        _x_TestButton->setDefault(true);
    }
    ProcessMessages();
    // The rest of the start-up runs once the window has been painted.
    QTimer::singleShot(0, this, [this] { DeferredStartup(); });
}

void TMainForm::DeferredStartup() {
    LoadFormPosition(FSettingsFileName);
    LoadComponents(FSettingsFileName);
    BuildLanguageList();
    FStarted = true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FBusy) {  // a long step runs: the window stays until it ends
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TMainForm::FormClose() {
    if (!FStarted) return;  // nothing restored, nothing to keep
    const bool states = SaveComponents(FSettingsFileName);
    const bool placement = SaveFormPosition(FSettingsFileName);
    // Settings that cannot be kept are not lost without a word (one box for both).
    if (!states || !placement) Message(WriteErrorText(FSettingsFileName));
}

void TMainForm::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

void TMainForm::Message(const QString& text) {
    UiSeam().ShowMessage(this, ApplicationTitle(), text, tBoxIcon::None);
}

void TMainForm::MessageKey(const QString& key) { Message(gLanguageEngine.GetMessage(key)); }

void TMainForm::_x_TestButtonClick() {
    _x_TestButton->hide();
    btLoadData__MainClick();
    btLoadData__GreenClick();
    btLoadData__CrossClick();
    btStartCalcClick();
}

// ---- tabs ----------------------------------------------------------------

tViewTab TMainForm::CurrentViewTab() const {
    const int t = tabs->currentIndex();
    if (t < 0) return tViewTab::None;
    if (t == FTab.View3DF) return tViewTab::Forward;
    if (t == FTab.View3DB) return tViewTab::Backward;
    if (t == FTab.CProfile) return tViewTab::CrossProfile;
    if (t == FTab.CRoads) return tViewTab::CrossRoads;
    return tViewTab::None;
}

void TMainForm::SelectTab(int index) {
    if (index < 0 || index >= tabs->count()) return;
    if (tabs->currentIndex() == index)
        tabsChange();
    else
        tabs->setCurrentIndex(index);  // runs tabsChange
}

void TMainForm::ResetSearch(QLineEdit* edit, QPushButton* button) {
    const QSignalBlocker block(edit);  // an emptied box is not normalised
    edit->setText(QStringLiteral("    +   ,  "));
    edit->setCursorPosition(0);
    button->setEnabled(false);
}

void TMainForm::tabsChange() {
    const int t = tabs->currentIndex();
    const tViewTab view = CurrentViewTab();
    panel0->setVisible(t == FTab.SourceData);
    panel1->setVisible(t == FTab.DraftSpeeds);
    panel2->setVisible(view == tViewTab::Forward || view == tViewTab::Backward || view == tViewTab::CrossProfile);
    Panel3->setVisible(view == tViewTab::CrossRoads);
    Panel4->setVisible(t == FTab.SourceGrid);
    Panel5->setVisible(t == FTab.About);
    Panel6->setVisible(t == FTab.PivotGrid);
    panOverview->setVisible(t >= 0 && t == FTab.Overview);

    if (t == FTab.About) _x_cbLangSelect->setFocus();
    if (t == FTab.PivotGrid && t >= 0) {
        AutoSizeGrid(*gPivotData, ColumnRange(4, 13), {});
        ResetSearch(edSearchKmpPivotData, btSearchKmp__PivotData);
        gPivotData->setFocus();
    }
    if (t == FTab.SourceData && btLoadData__Main->isEnabled() && btLoadData__Main->isVisible()) btLoadData__Main->setFocus();
    if (t == FTab.DraftSpeeds && t >= 0) {
        AutoSizeGrid(*gDraftV, ColumnRange(16, 21), {});
        ResetSearch(edSearchKmpDraftV, btSearchKmp__DraftV);
        gDraftV->setFocus();
    }
    if (t == FTab.SourceGrid && t >= 0) {
        AutoSizeGrid(*gSourceData, Columns({12, 13}), {});
        ResetSearch(edSearchKmpSourceData, btSearchKmp__SourceData);
        gSourceData->setFocus();
    }
    if (view == tViewTab::Forward || view == tViewTab::Backward || view == tViewTab::CrossProfile) {
        const QString keep0 = gProfilesList->Cells(0, 1), keep1 = gProfilesList->Cells(1, 1);
        const bool hasRow = gProfilesList->RowCount() > 1;
        if (hasRow) {
            gProfilesList->Model().SetCellQuiet(0, 1, QStringLiteral(" 999999"));
            gProfilesList->Model().SetCellQuiet(1, 1, QStringLiteral("9999+999.99"));
        }
        AutoSizeGrid(*gProfilesList, Columns({0, 1}), Columns({0, 1}));
        if (hasRow) {
            gProfilesList->Model().SetCellQuiet(0, 1, keep0);
            gProfilesList->Model().SetCellQuiet(1, 1, keep1);
        }
        const int listWidth = 193;
        const auto placeList = [&](QWidget* tool) {
            tool->move(0, 0);
            tool->show();
            const int top = tool->y() + tool->height() + 8;
            gProfilesList->setGeometry(8, top, listWidth, std::max(40, panel2->height() - top - 8));
        };
        const int imLeft = 216, imTop = 8;
        const int imWidth = std::max(40, panel2->width() - imLeft - 8);
        gbCursorMeas->setGeometry(imLeft, panel2->height() - 49 - 8, imWidth, 49);
        if (view != tViewTab::CrossProfile) {
            if (pan3Dtools->isHidden()) placeList(pan3Dtools);
            panCProfileTools->hide();
            gbCursorMeas->hide();
            Im3d->setGeometry(imLeft, imTop, imWidth, std::max(40, panel2->height() - imTop - 8));
        } else {
            if (panCProfileTools->isHidden()) placeList(panCProfileTools);
            pan3Dtools->hide();
            gbCursorMeas->hide();
            Im3d->setGeometry(imLeft, imTop, imWidth, std::max(40, gbCursorMeas->y() - imTop - 8));
        }
        // The list keeps its height when the panel grows.
        const QWidget* tool = view == tViewTab::CrossProfile ? panCProfileTools : pan3Dtools;
        const int top = tool->y() + tool->height() + 8;
        gProfilesList->setGeometry(8, top, listWidth, std::max(40, panel2->height() - top - 8));
        DrawCurrentView();
        gProfilesList->viewport()->update();
        gProfilesList->setFocus();
    }
    if (view == tViewTab::CrossRoads) {
        AutoSizeGrid(*gCrProfilesList, Columns({0, 1}), Columns({0, 1}));
        // The name column takes the rest of the list's width.
        gCRoadsList->SetColWidth(1, std::max(40, gCRoadsList->viewport()->width() - gCRoadsList->ColWidth(0)));
        gCRoadsListClick();
        gCRoadsList->viewport()->update();
        gCrProfilesList->viewport()->update();
    }
}

void TMainForm::backPanelResize() {
    if (tabs->currentIndex() > 0) tabsChange();
}

void TMainForm::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pageArea && event->type() == QEvent::Resize && FStarted) backPanelResize();
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace kestrova
