// The three load groups: road data, vegetation/buildings and crossroads, the
// open dialog and the source options.
#include "app/main_form.h"

#include "app/busy_lock.h"
#include "app/ui_seam.h"
#include "import/crossroads_import.h"
#include "import/cell_parsing.h"
#include "import/greens_import.h"
#include "import/import_messages.h"
#include "import/road_import.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

namespace kestrova {

namespace {

bool SameFile(const QLineEdit* a, const QLineEdit* b) {
    return a->text().trimmed().toUpper() == b->text().trimmed().toUpper();
}

}  // namespace

// Progress of an import: the bar follows the table's capacity, the label the count.
static tProgress ImportProgress(QProgressBar* bar, QLabel* label, const std::function<void()>& yield) {
    tProgress p;
    p.Interval = tProgress::kWindowInterval;
    p.SetMaximum = [bar](int m) { bar->setMaximum(std::max(m, 1)); };
    p.SetPosition = [bar, label, yield](int pos) {
        if (pos > bar->maximum()) bar->setMaximum(pos);
        bar->setValue(pos);
        label->setText(QString::number(pos));
        yield();
    };
    p.Yield = yield;
    return p;
}

void TMainForm::ShowImportFailure(const tImportFailure& failure) { Message(FormatImportFailure(failure, gLanguageEngine)); }

void TMainForm::btLoadData__MainClick() {
    if (!gbLoadRoadData->isEnabled() || !btLoadData__Main->isEnabled()) return;
    if (FBusy) return;
    _x_TestButton->hide();
    edOpenXL->setEnabled(false);
    _x_btOpenDialMain->setEnabled(false);
    btLoadData__Main->setEnabled(false);
    pbMain->setValue(0);
    pbMain->show();
    _x_lbMainCount->setText(gLanguageEngine.GetMessage(QStringLiteral("LoadData.SearchHeaders")));
    _x_lbMainCount->show();
    // From here until the table is read nothing else may start.
    std::optional<TBusyLock> lock(std::in_place, this, FBusy);
    ProcessMessages();

    const tImportResult result =
        ImportRoad(edOpenXL->text(), FModel, ImportProgress(pbMain, _x_lbMainCount, [this] { ProcessMessages(); }));
    lock.reset();
    if (!result.Success) {
        ShowImportFailure(result.Failure);
        edOpenXL->setEnabled(true);
        _x_btOpenDialMain->setEnabled(true);
        btLoadData__Main->setEnabled(true);
        pbMain->hide();
        _x_lbMainCount->hide();
        return;
    }
    _x_btOpenDialMain->hide();
    btLoadData__Main->hide();
    pbMain->hide();
    gLanguageEngine.SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(result.Count));
    _x_lbMainCount->setText(gLanguageEngine.GetMessage(QStringLiteral("LoadData.RowsLoaded")));
    gbLoadRoadData->setEnabled(false);
    gbLoadVegetationBuildings->show();
    gbLoadCrossRoads->show();
    gbStartCalc->show();
    if (result.FromCsv) {
        // A CSV file has no second or third sheet.
        for (QRadioButton* rb : {rbSecondSheet__Cross, rbThirdSheet__Cross, rbSecondSheet__Green, rbThirdSheet__Green})
            rb->setEnabled(false);
        rbSeparateFile__Cross->setChecked(true);
        rbSeparateFile__Green->setChecked(true);
    }
    rbSelectCrossSource();
    rbSelectGreenSource();
    FModel.CrossRoads.Roads.clear();
}

void TMainForm::btLoadData__CrossClick() {
    if (!gbLoadCrossRoads->isEnabled() || !btLoadData__Cross->isEnabled() || FModel.Plan.Count() == 0) return;
    if (FBusy) return;
    if (rbSeparateFile__Cross->isChecked() && SameFile(edOpenCrossXL, edOpenXL)) {
        MessageKey(QStringLiteral("LoadData.SomeFileSelected"));
        return;
    }
    edOpenCrossXL->setEnabled(false);
    _x_btOpenDialCross->setEnabled(false);
    btLoadData__Cross->setEnabled(false);
    const bool secondEnabled = rbSecondSheet__Cross->isEnabled();
    const bool thirdEnabled = rbThirdSheet__Cross->isEnabled();
    for (QRadioButton* rb : {rbSeparateFile__Cross, rbSecondSheet__Cross, rbThirdSheet__Cross}) rb->setEnabled(false);
    gbStartCalc->hide();
    const bool greenVisible = gbLoadVegetationBuildings->isVisibleTo(panel0);
    gbLoadVegetationBuildings->hide();
    pbCross->setValue(0);
    pbCross->show();
    _x_lbCrossCount->setText(gLanguageEngine.GetMessage(QStringLiteral("LoadData.SearchHeaders")));
    _x_lbCrossCount->show();
    // From here until the table is read nothing else may start.
    std::optional<TBusyLock> lock(std::in_place, this, FBusy);
    ProcessMessages();

    const tSheetChoice choice = rbSecondSheet__Cross->isChecked()  ? tSheetChoice::SecondSheet
                                : rbThirdSheet__Cross->isChecked() ? tSheetChoice::ThirdSheet
                                                                   : tSheetChoice::SeparateFile;
    const tImportResult result = ImportCrossRoads(edOpenXL->text(), edOpenCrossXL->text(), choice, FModel,
                                                  ImportProgress(pbCross, _x_lbCrossCount, [this] { ProcessMessages(); }));
    lock.reset();
    if (!result.Success) {
        ShowImportFailure(result.Failure);
        edOpenCrossXL->setEnabled(true);
        _x_btOpenDialCross->setEnabled(true);
        btLoadData__Cross->setEnabled(true);
        rbSeparateFile__Cross->setEnabled(true);
        rbSecondSheet__Cross->setEnabled(secondEnabled);
        rbThirdSheet__Cross->setEnabled(thirdEnabled);
        pbCross->hide();
        _x_lbCrossCount->hide();
        gbStartCalc->show();
        gbLoadVegetationBuildings->setVisible(greenVisible);
        return;
    }
    _x_btOpenDialCross->hide();
    btLoadData__Cross->hide();
    pbCross->hide();
    gLanguageEngine.SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(result.Count));
    _x_lbCrossCount->setText(gLanguageEngine.GetMessage(QStringLiteral("LoadData.CrossRoadsLoaded")));
    gbLoadCrossRoads->setEnabled(false);
    gbStartCalc->show();
    // The vegetation group keeps off the sheet the crossroads came from.
    if (choice == tSheetChoice::SecondSheet) {
        if (rbSecondSheet__Green->isChecked()) {
            rbThirdSheet__Green->setChecked(true);
            rbSelectGreenSource();
        }
        rbSecondSheet__Green->setEnabled(false);
    } else if (choice == tSheetChoice::ThirdSheet) {
        if (rbThirdSheet__Green->isChecked()) {
            rbSecondSheet__Green->setChecked(true);
            rbSelectGreenSource();
        }
        rbThirdSheet__Green->setEnabled(false);
    }
    gbLoadVegetationBuildings->setVisible(greenVisible);
}

void TMainForm::btLoadData__GreenClick() {
    if (!gbLoadVegetationBuildings->isEnabled() || !btLoadData__Green->isEnabled() || FModel.Plan.Count() == 0) return;
    if (FBusy) return;
    if (rbSeparateFile__Green->isChecked() && SameFile(edOpenGreenXL, edOpenXL)) {
        MessageKey(QStringLiteral("LoadData.SomeFileSelected"));
        return;
    }
    edOpenGreenXL->setEnabled(false);
    _x_btOpenDialGreen->setEnabled(false);
    btLoadData__Green->setEnabled(false);
    const bool secondEnabled = rbSecondSheet__Green->isEnabled();
    const bool thirdEnabled = rbThirdSheet__Green->isEnabled();
    for (QRadioButton* rb : {rbSeparateFile__Green, rbSecondSheet__Green, rbThirdSheet__Green}) rb->setEnabled(false);
    gbStartCalc->hide();
    const bool crossVisible = gbLoadCrossRoads->isVisibleTo(panel0);
    gbLoadCrossRoads->hide();
    pbGreen->setValue(0);
    pbGreen->show();
    _x_lbGreenCount->setText(gLanguageEngine.GetMessage(QStringLiteral("LoadData.SearchHeaders")));
    _x_lbGreenCount->show();
    // From here until the table is read nothing else may start.
    std::optional<TBusyLock> lock(std::in_place, this, FBusy);
    ProcessMessages();

    const tSheetChoice choice = rbSecondSheet__Green->isChecked()  ? tSheetChoice::SecondSheet
                                : rbThirdSheet__Green->isChecked() ? tSheetChoice::ThirdSheet
                                                                   : tSheetChoice::SeparateFile;
    const tImportResult result = ImportGreens(edOpenXL->text(), edOpenGreenXL->text(), choice, FModel,
                                              ImportProgress(pbGreen, _x_lbGreenCount, [this] { ProcessMessages(); }));
    lock.reset();
    if (!result.Success) {
        ShowImportFailure(result.Failure);
        edOpenGreenXL->setEnabled(true);
        _x_btOpenDialGreen->setEnabled(true);
        btLoadData__Green->setEnabled(true);
        rbSeparateFile__Green->setEnabled(true);
        rbSecondSheet__Green->setEnabled(secondEnabled);
        rbThirdSheet__Green->setEnabled(thirdEnabled);
        pbGreen->hide();
        _x_lbGreenCount->hide();
        gbStartCalc->show();
        gbLoadCrossRoads->setVisible(crossVisible);
        return;
    }
    _x_btOpenDialGreen->hide();
    btLoadData__Green->hide();
    pbGreen->hide();
    gLanguageEngine.SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(result.Count));
    _x_lbGreenCount->setText(gLanguageEngine.GetMessage(QStringLiteral("LoadData.VegetablesBuildingsLoaded")));
    gbLoadVegetationBuildings->setEnabled(false);
    gbStartCalc->show();
    // The crossroads group keeps off the sheet the objects came from.
    if (choice == tSheetChoice::SecondSheet) {
        if (rbSecondSheet__Cross->isChecked()) {
            rbThirdSheet__Cross->setChecked(true);
            rbSelectCrossSource();
        }
        rbSecondSheet__Cross->setEnabled(false);
    } else if (choice == tSheetChoice::ThirdSheet) {
        if (rbThirdSheet__Cross->isChecked()) {
            rbSecondSheet__Cross->setChecked(true);
            rbSelectCrossSource();
        }
        rbThirdSheet__Cross->setEnabled(false);
    }
    gbLoadCrossRoads->setVisible(crossVisible);
}

void TMainForm::_x_btOpenDialMainClick(QObject* sender) {
    QLineEdit* edit = nullptr;
    if (sender == _x_btOpenDialMain) edit = edOpenXL;
    else if (sender == _x_btOpenDialCross) edit = edOpenCrossXL;
    else if (sender == _x_btOpenDialGreen) edit = edOpenGreenXL;
    if (!edit) return;
    const QString remembered = QDir::currentPath();
    tFileDialogRequest request;
    request.Title = OpenDialTitle;
    request.Filter = OpenDialFilter;
    request.FileName = StripQuotes(edit->text().trimmed());
    const QString folder = QFileInfo(request.FileName).absolutePath();
    if (!request.FileName.isEmpty() && QDir(folder).exists()) QDir::setCurrent(folder);
    const QString chosen = UiSeam().OpenFileName(this, request);
    if (!chosen.isEmpty()) edit->setText(StripQuotes(QDir::toNativeSeparators(chosen)));
    QDir::setCurrent(remembered);
}

void TMainForm::rbSelectCrossSource() {
    const bool separate = rbSeparateFile__Cross->isChecked();
    edOpenCrossXL->setVisible(separate);
    _x_btOpenDialCross->setVisible(separate && btLoadData__Cross->isVisibleTo(gbLoadCrossRoads));
}

void TMainForm::rbSelectGreenSource() {
    const bool separate = rbSeparateFile__Green->isChecked();
    edOpenGreenXL->setVisible(separate);
    _x_btOpenDialGreen->setVisible(separate && btLoadData__Green->isVisibleTo(gbLoadVegetationBuildings));
}

}  // namespace kestrova
