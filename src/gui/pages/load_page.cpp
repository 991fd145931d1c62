#include "gui/pages/load_page.h"

#include "gui/app/ui_seam.h"
#include "core/model/cell_parsing.h"
#include "core/import/crossroads_import.h"
#include "core/import/greens_import.h"
#include "core/import/import_messages.h"
#include "core/import/road_import.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace kestrova {

namespace {

bool SameFile(const QLineEdit* a, const QLineEdit* b) {
    return a->text().trimmed().toUpper() == b->text().trimmed().toUpper();
}

// Progress of an import: the bar follows the table's capacity, the label the count.
tProgress ImportProgress(QProgressBar* bar, QLabel* label) {
    tProgress p;
    p.Interval = tProgress::kWindowInterval;
    p.SetMaximum = [bar](int m) { bar->setMaximum(std::max(m, 1)); };
    p.SetPosition = [bar, label](int pos) {
        if (pos > bar->maximum()) bar->setMaximum(pos);
        bar->setValue(pos);
        label->setText(QString::number(pos));
        ProcessMessages();
    };
    p.Yield = [] { ProcessMessages(); };
    return p;
}

tSheetChoice Choice(const QRadioButton* second, const QRadioButton* third) {
    return second->isChecked() ? tSheetChoice::SecondSheet
           : third->isChecked() ? tSheetChoice::ThirdSheet
                                : tSheetChoice::SeparateFile;
}

using tSideImport = tImportResult (*)(const QString& roadFile, const QString& file, tSheetChoice choice,
                                      tRoadModel& model, const tProgress& progress);

}  // namespace

// One of the two groups loaded after the road data (vegetation/buildings,
// crossroads), with the other one, which keeps off the sheet this one used.
struct TLoadPage::tSideGroup {
    QGroupBox* Box;
    QLineEdit* Edit;
    QPushButton* Browse;
    QPushButton* Load;
    QRadioButton* Separate;
    QRadioButton* Second;
    QRadioButton* Third;
    QProgressBar* Bar;
    QLabel* Count;
    const char* LoadedKey;
    tSideImport Import;
    QGroupBox* OtherBox;
    QRadioButton* OtherSecond;
    QRadioButton* OtherThird;
    void (TLoadPage::*SelectOtherSource)();
};

TLoadPage::TLoadPage(const tPageContext& context, const QString& exampleFolder, QWidget* parent)
    : QWidget(parent), FContext(context) {
    setObjectName(QStringLiteral("panel0"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(8, 8, 8, 8);
    lay->setSpacing(8);
    for (int i = 0; i < 3; ++i) BuildGroup(i, exampleFolder);
    FUi._x_TestButton =
        Named(new QPushButton(QStringLiteral("Load all && calc"), FUi.gbLoadRoadData), QStringLiteral("_x_TestButton"));
    static_cast<QGridLayout*>(FUi.gbLoadRoadData->layout())->addWidget(FUi._x_TestButton, 1, 4);
    FUi._x_TestButton->hide();
    FUi._x_TestButton->setEnabled(false);
    BuildCalcGroup();

    connect(FUi.btLoadData__Main, &QPushButton::clicked, this, [this] { btLoadData__MainClick(); });
    connect(FUi.btLoadData__Cross, &QPushButton::clicked, this, [this] { btLoadData__CrossClick(); });
    connect(FUi.btLoadData__Green, &QPushButton::clicked, this, [this] { btLoadData__GreenClick(); });
    connect(FUi.btStartCalc, &QPushButton::clicked, this, [this] { emit CalculateRequested(); });
    connect(FUi._x_TestButton, &QPushButton::clicked, this, [this] { _x_TestButtonClick(); });
}

void TLoadPage::BuildGroup(int index, const QString& exampleFolder) {
    struct tNames {
        const char *Box, *Edit, *Browse, *Load, *Bar, *Count, *Example;
    };
    static const tNames kNames[3] = {
        {"gbLoadRoadData", "edOpenXL", "_x_btOpenDialMain", "btLoadData__Main", "pbMain", "_x_lbMainCount", "road.csv"},
        {"gbLoadVegetationBuildings", "edOpenGreenXL", "_x_btOpenDialGreen", "btLoadData__Green", "pbGreen",
         "_x_lbGreenCount", "greens.csv"},
        {"gbLoadCrossRoads", "edOpenCrossXL", "_x_btOpenDialCross", "btLoadData__Cross", "pbCross", "_x_lbCrossCount",
         "crossroads.csv"}};
    const tNames& n = kNames[index];
    QGroupBox*& box = index == 0 ? FUi.gbLoadRoadData : index == 1 ? FUi.gbLoadVegetationBuildings : FUi.gbLoadCrossRoads;
    QLineEdit*& edit = index == 0 ? FUi.edOpenXL : index == 1 ? FUi.edOpenGreenXL : FUi.edOpenCrossXL;
    QPushButton*& browse = index == 0 ? FUi._x_btOpenDialMain : index == 1 ? FUi._x_btOpenDialGreen : FUi._x_btOpenDialCross;
    QPushButton*& load = index == 0 ? FUi.btLoadData__Main : index == 1 ? FUi.btLoadData__Green : FUi.btLoadData__Cross;
    QProgressBar*& bar = index == 0 ? FUi.pbMain : index == 1 ? FUi.pbGreen : FUi.pbCross;
    QLabel*& count = index == 0 ? FUi._x_lbMainCount : index == 1 ? FUi._x_lbGreenCount : FUi._x_lbCrossCount;

    const QString boxName = QString::fromLatin1(n.Box), loadName = QString::fromLatin1(n.Load);
    box = Named(new QGroupBox(QLatin1Char(' ') + boxName + QLatin1Char(' '), this), boxName);
    auto* grid = new QGridLayout(box);
    edit = Named(new QLineEdit(exampleFolder + QString::fromLatin1(n.Example), box), QString::fromLatin1(n.Edit));
    browse = Named(new QPushButton(QStringLiteral("..."), box), QString::fromLatin1(n.Browse));
    browse->setFixedWidth(32);
    load = Named(new QPushButton(loadName.section(QStringLiteral("__"), 0, 0), box), loadName);
    load->setMinimumWidth(140);
    bar = NewProgressBar(QString::fromLatin1(n.Bar), box);
    count = Named(new QLabel(box), QString::fromLatin1(n.Count));
    count->hide();
    grid->addWidget(edit, 0, 0, 1, 3);
    grid->addWidget(browse, 0, 3);
    grid->addWidget(load, 0, 4);
    grid->addWidget(bar, 2, 0, 1, 3);
    // The three file boxes stay equally wide: a loaded table's buttons keep
    // their room, and its count line spans the group without widening the
    // button columns.
    count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    count->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(count, 3, 0, 1, 5);
    KeepRoomWhenHidden(browse);
    KeepRoomWhenHidden(load);
    grid->setColumnStretch(0, 1);
    static_cast<QVBoxLayout*>(layout())->addWidget(box);
    connect(browse, &QPushButton::clicked, this, [this, b = browse] { _x_btOpenDialMainClick(b); });
    if (index > 0) {
        BuildSourceOptions(index, grid);
        box->hide();
    }
}

void TLoadPage::BuildSourceOptions(int index, QGridLayout* grid) {
    QWidget* box = grid->parentWidget();
    const QString suffix = index == 1 ? QStringLiteral("__Green") : QStringLiteral("__Cross");
    auto* sep = Named(new QRadioButton(QStringLiteral("rbSeparateFile"), box), QStringLiteral("rbSeparateFile") + suffix);
    auto* second = Named(new QRadioButton(QStringLiteral("rbSecondSheet"), box), QStringLiteral("rbSecondSheet") + suffix);
    auto* third = Named(new QRadioButton(QStringLiteral("rbThirdSheet"), box), QStringLiteral("rbThirdSheet") + suffix);
    sep->setChecked(true);
    auto* row = new QHBoxLayout;
    row->addWidget(sep);
    row->addWidget(second);
    row->addWidget(third);
    row->addStretch(1);
    grid->addLayout(row, 1, 0, 1, 5);
    if (index == 1) {
        FUi.rbSeparateFile__Green = sep;
        FUi.rbSecondSheet__Green = second;
        FUi.rbThirdSheet__Green = third;
    } else {
        FUi.rbSeparateFile__Cross = sep;
        FUi.rbSecondSheet__Cross = second;
        FUi.rbThirdSheet__Cross = third;
    }
    for (QRadioButton* rb : {sep, second, third})
        connect(rb, &QRadioButton::clicked, this, [this, index] { index == 1 ? rbSelectGreenSource() : rbSelectCrossSource(); });
}

void TLoadPage::BuildCalcGroup() {
    auto* lay = static_cast<QVBoxLayout*>(layout());
    FUi.gbStartCalc = Named(new QGroupBox(QStringLiteral(" gbStartCalc "), this), QStringLiteral("gbStartCalc"));
    auto* calc = new QGridLayout(FUi.gbStartCalc);
    FUi.btStartCalc = Named(new QPushButton(QStringLiteral("btStartCalc"), FUi.gbStartCalc), QStringLiteral("btStartCalc"));
    FUi.btStartCalc->setMinimumWidth(140);
    FUi.pbCalc = NewProgressBar(QStringLiteral("pbCalc"), FUi.gbStartCalc);
    FUi._x_mCalcLog = Named(new QPlainTextEdit(FUi.gbStartCalc), QStringLiteral("_x_mCalcLog"));
    FUi._x_mCalcLog->setReadOnly(true);
    FUi._x_mCalcLog->hide();
    calc->addWidget(FUi.btStartCalc, 0, 0);
    calc->addWidget(FUi.pbCalc, 0, 1);
    calc->addWidget(FUi._x_mCalcLog, 1, 0, 1, 2);
    calc->setColumnStretch(1, 1);
    calc->setRowStretch(1, 1);
    lay->addWidget(FUi.gbStartCalc, 1);
    FUi.gbStartCalc->hide();
    lay->addStretch(0);
}

QGridLayout* TLoadPage::CalcLayout() const { return static_cast<QGridLayout*>(FUi.gbStartCalc->layout()); }

void TLoadPage::ShowTestButton() {
    FUi._x_TestButton->setEnabled(true);
    FUi._x_TestButton->show();
    ProcessMessages();
    FUi._x_TestButton->setText(QStringLiteral("Load all && calc"));
    FUi._x_TestButton->setDefault(true);
}

void TLoadPage::_x_TestButtonClick() {
    FUi._x_TestButton->hide();
    btLoadData__MainClick();
    btLoadData__GreenClick();
    btLoadData__CrossClick();
    emit CalculateRequested();
}

// ---- loading -------------------------------------------------------------

void TLoadPage::btLoadData__MainClick() {
    if (!FUi.gbLoadRoadData->isEnabled() || !FUi.btLoadData__Main->isEnabled()) return;
    if (FContext.IsBusy()) return;
    FUi._x_TestButton->hide();
    for (QWidget* w : {static_cast<QWidget*>(FUi.edOpenXL), static_cast<QWidget*>(FUi._x_btOpenDialMain),
                       static_cast<QWidget*>(FUi.btLoadData__Main)})
        w->setEnabled(false);
    FUi.pbMain->setValue(0);
    FUi.pbMain->show();
    FUi._x_lbMainCount->setText(FContext.Engine.GetMessage(QStringLiteral("LoadData.SearchHeaders")));
    FUi._x_lbMainCount->show();
    // From here until the table is read nothing else may start.
    std::optional<TBusyLock> lock(std::in_place, FContext.Window, FContext.Busy);
    ProcessMessages();

    const tImportResult result = ImportRoad(FUi.edOpenXL->text(), FContext.Model, ImportProgress(FUi.pbMain, FUi._x_lbMainCount));
    lock.reset();
    if (!result.Success) {
        FContext.Message(FormatImportFailure(result.Failure, FContext.Engine));
        FUi.edOpenXL->setEnabled(true);
        FUi._x_btOpenDialMain->setEnabled(true);
        FUi.btLoadData__Main->setEnabled(true);
        FUi.pbMain->hide();
        FUi._x_lbMainCount->hide();
        return;
    }
    FUi._x_btOpenDialMain->hide();
    FUi.btLoadData__Main->hide();
    FUi.pbMain->hide();
    FContext.Engine.SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(result.Count));
    FUi._x_lbMainCount->setText(FContext.Engine.GetMessage(QStringLiteral("LoadData.RowsLoaded")));
    FUi.gbLoadRoadData->setEnabled(false);
    FUi.gbLoadVegetationBuildings->show();
    FUi.gbLoadCrossRoads->show();
    FUi.gbStartCalc->show();
    if (result.FromCsv) {
        // A CSV file has no second or third sheet.
        for (QRadioButton* rb : {FUi.rbSecondSheet__Cross, FUi.rbThirdSheet__Cross, FUi.rbSecondSheet__Green, FUi.rbThirdSheet__Green})
            rb->setEnabled(false);
        FUi.rbSeparateFile__Cross->setChecked(true);
        FUi.rbSeparateFile__Green->setChecked(true);
    }
    rbSelectCrossSource();
    rbSelectGreenSource();
    FContext.Model.CrossRoads.Roads.clear();
}

void TLoadPage::btLoadData__CrossClick() {
    LoadSideTable({FUi.gbLoadCrossRoads, FUi.edOpenCrossXL, FUi._x_btOpenDialCross, FUi.btLoadData__Cross,
                   FUi.rbSeparateFile__Cross, FUi.rbSecondSheet__Cross, FUi.rbThirdSheet__Cross, FUi.pbCross,
                   FUi._x_lbCrossCount, "LoadData.CrossRoadsLoaded", &ImportCrossRoads, FUi.gbLoadVegetationBuildings,
                   FUi.rbSecondSheet__Green, FUi.rbThirdSheet__Green, &TLoadPage::rbSelectGreenSource});
}

void TLoadPage::btLoadData__GreenClick() {
    LoadSideTable({FUi.gbLoadVegetationBuildings, FUi.edOpenGreenXL, FUi._x_btOpenDialGreen, FUi.btLoadData__Green,
                   FUi.rbSeparateFile__Green, FUi.rbSecondSheet__Green, FUi.rbThirdSheet__Green, FUi.pbGreen,
                   FUi._x_lbGreenCount, "LoadData.VegetablesBuildingsLoaded", &ImportGreens, FUi.gbLoadCrossRoads,
                   FUi.rbSecondSheet__Cross, FUi.rbThirdSheet__Cross, &TLoadPage::rbSelectCrossSource});
}

void TLoadPage::LoadSideTable(const tSideGroup& g) {
    if (!g.Box->isEnabled() || !g.Load->isEnabled() || FContext.Model.Plan.Count() == 0) return;
    if (FContext.IsBusy()) return;
    if (g.Separate->isChecked() && SameFile(g.Edit, FUi.edOpenXL)) {
        FContext.MessageKey(QStringLiteral("LoadData.SomeFileSelected"));
        return;
    }
    g.Edit->setEnabled(false);
    g.Browse->setEnabled(false);
    g.Load->setEnabled(false);
    const bool secondEnabled = g.Second->isEnabled();
    const bool thirdEnabled = g.Third->isEnabled();
    for (QRadioButton* rb : {g.Separate, g.Second, g.Third}) rb->setEnabled(false);
    FUi.gbStartCalc->hide();
    const bool otherVisible = g.OtherBox->isVisibleTo(this);
    g.OtherBox->hide();
    g.Bar->setValue(0);
    g.Bar->show();
    g.Count->setText(FContext.Engine.GetMessage(QStringLiteral("LoadData.SearchHeaders")));
    g.Count->show();
    // From here until the table is read nothing else may start.
    std::optional<TBusyLock> lock(std::in_place, FContext.Window, FContext.Busy);
    ProcessMessages();

    const tSheetChoice choice = Choice(g.Second, g.Third);
    const tImportResult result =
        g.Import(FUi.edOpenXL->text(), g.Edit->text(), choice, FContext.Model, ImportProgress(g.Bar, g.Count));
    lock.reset();
    if (!result.Success) {
        FContext.Message(FormatImportFailure(result.Failure, FContext.Engine));
        g.Edit->setEnabled(true);
        g.Browse->setEnabled(true);
        g.Load->setEnabled(true);
        g.Separate->setEnabled(true);
        g.Second->setEnabled(secondEnabled);
        g.Third->setEnabled(thirdEnabled);
        g.Bar->hide();
        g.Count->hide();
        FUi.gbStartCalc->show();
        g.OtherBox->setVisible(otherVisible);
        return;
    }
    SideTableLoaded(g, result, choice);
    g.OtherBox->setVisible(otherVisible);
}

void TLoadPage::SideTableLoaded(const tSideGroup& g, const tImportResult& result, tSheetChoice choice) {
    g.Browse->hide();
    g.Load->hide();
    g.Bar->hide();
    FContext.Engine.SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(result.Count));
    g.Count->setText(FContext.Engine.GetMessage(QString::fromLatin1(g.LoadedKey)));
    g.Box->setEnabled(false);
    FUi.gbStartCalc->show();
    // The other group keeps off the sheet this table came from.
    if (choice == tSheetChoice::SecondSheet) {
        if (g.OtherSecond->isChecked()) {
            g.OtherThird->setChecked(true);
            (this->*g.SelectOtherSource)();
        }
        g.OtherSecond->setEnabled(false);
    } else if (choice == tSheetChoice::ThirdSheet) {
        if (g.OtherThird->isChecked()) {
            g.OtherSecond->setChecked(true);
            (this->*g.SelectOtherSource)();
        }
        g.OtherThird->setEnabled(false);
    }
}

void TLoadPage::_x_btOpenDialMainClick(QObject* sender) {
    QLineEdit* edit = nullptr;
    if (sender == FUi._x_btOpenDialMain) edit = FUi.edOpenXL;
    else if (sender == FUi._x_btOpenDialCross) edit = FUi.edOpenCrossXL;
    else if (sender == FUi._x_btOpenDialGreen) edit = FUi.edOpenGreenXL;
    if (!edit) return;
    const QString remembered = QDir::currentPath();
    tFileDialogRequest request;
    request.Title = OpenDialTitle;
    request.Filter = OpenDialFilter;
    request.FileName = StripQuotes(edit->text().trimmed());
    const QString folder = QFileInfo(request.FileName).absolutePath();
    if (!request.FileName.isEmpty() && QDir(folder).exists()) QDir::setCurrent(folder);
    const QString chosen = UiSeam().OpenFileName(FContext.Window, request);
    if (!chosen.isEmpty()) edit->setText(StripQuotes(QDir::toNativeSeparators(chosen)));
    QDir::setCurrent(remembered);
}

void TLoadPage::rbSelectCrossSource() {
    const bool separate = FUi.rbSeparateFile__Cross->isChecked();
    FUi.edOpenCrossXL->setVisible(separate);
    FUi._x_btOpenDialCross->setVisible(separate && FUi.btLoadData__Cross->isVisibleTo(FUi.gbLoadCrossRoads));
}

void TLoadPage::rbSelectGreenSource() {
    const bool separate = FUi.rbSeparateFile__Green->isChecked();
    FUi.edOpenGreenXL->setVisible(separate);
    FUi._x_btOpenDialGreen->setVisible(separate && FUi.btLoadData__Green->isVisibleTo(FUi.gbLoadVegetationBuildings));
}

// ---- calculation ---------------------------------------------------------

tProgress TLoadPage::CalcProgress() {
    tProgress p;
    p.Interval = tProgress::kWindowInterval;
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    p.SetMaximum = [this](int m) { FUi.pbCalc->setMaximum(std::max(m, 1)); };
    p.SetPosition = [this](int pos) { FUi.pbCalc->setValue(std::min(pos, FUi.pbCalc->maximum())); };
    p.Log = [this](const tMessage& line) { AddCalcLog(FContext.Engine.Text(line)); };
    p.Notify = [this](const tMessage& m) { FContext.Message(FContext.Engine.Text(m)); };
    // The window keeps painting during long stages, without spending the run on it.
    p.Yield = [timer] {
        if (timer->elapsed() >= 30) {
            ProcessMessages();
            timer->restart();
        }
    };
    return p;
}

void TLoadPage::AddCalcLog(const QString& text) {
    if (!FUi._x_mCalcLog->isVisible()) {
        FUi._x_mCalcLog->clear();
        FUi._x_mCalcLog->show();
        ProcessMessages();
    }
    FUi._x_mCalcLog->appendPlainText(text);
    // Each line is on screen before the next stage starts.
    FUi._x_mCalcLog->repaint();
    ProcessMessages();
}

bool TLoadPage::Calculate(const std::function<void()>& fillGrids) {
    tRoadModel& model = FContext.Model;
    if (!FUi.btStartCalc->isEnabled() || model.Plan.Count() == 0 || FContext.IsBusy()) return false;
    std::optional<TBusyLock> lock(std::in_place, FContext.Window, FContext.Busy);
    // Load groups that hold nothing make room for the calculation group.
    if (model.Greens.Count() == 0) FUi.gbLoadVegetationBuildings->hide();
    if (model.CrossRoads.Count() == 0) FUi.gbLoadCrossRoads->hide();
    FUi.btStartCalc->setEnabled(false);
    FUi.pbCalc->setValue(0);
    FUi.pbCalc->setMaximum(std::max(1, CalcProgressMaximum(model)));
    FUi.pbCalc->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ProcessMessages();

    const tProgress progress = CalcProgress();
    // The grids are filled once the pivot exists: the text layer writes whole
    // grids faster than row by row, and the cause texts come with them.
    tCalcHooks hooks;
    hooks.CauseTexts = [this, &fillGrids] {
        fillGrids();
        FUi.pbCalc->setValue(FUi.pbCalc->maximum());
    };
    RunCalculation(model, progress, tCalcEngine::Fast, hooks);
    lock.reset();
    FUi.btStartCalc->setEnabled(false);  // the calculation runs once
    FUi.pbCalc->hide();
    QApplication::restoreOverrideCursor();
    return true;
}

}  // namespace kestrova
