// The data loading page: the road data, vegetation/buildings and crossroads
// groups with their files, source options and progress, and the calculation
// group with its progress bar and log.
#pragma once

#include "core/calc/calc_run.h"
#include "gui/pages/page_context.h"

#include <QWidget>

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace kestrova {

struct tImportResult;
enum class tSheetChoice;

class TLoadPage final : public QWidget {
    Q_OBJECT
public:
    // The controls, by the names the language and settings files use.
    struct tUi {
        QGroupBox* gbLoadRoadData = nullptr;
        QLineEdit* edOpenXL = nullptr;
        QPushButton* _x_btOpenDialMain = nullptr;
        QPushButton* btLoadData__Main = nullptr;
        QProgressBar* pbMain = nullptr;
        QLabel* _x_lbMainCount = nullptr;
        QPushButton* _x_TestButton = nullptr;

        QGroupBox* gbLoadVegetationBuildings = nullptr;
        QLineEdit* edOpenGreenXL = nullptr;
        QPushButton* _x_btOpenDialGreen = nullptr;
        QPushButton* btLoadData__Green = nullptr;
        QRadioButton* rbSeparateFile__Green = nullptr;
        QRadioButton* rbSecondSheet__Green = nullptr;
        QRadioButton* rbThirdSheet__Green = nullptr;
        QProgressBar* pbGreen = nullptr;
        QLabel* _x_lbGreenCount = nullptr;

        QGroupBox* gbLoadCrossRoads = nullptr;
        QLineEdit* edOpenCrossXL = nullptr;
        QPushButton* _x_btOpenDialCross = nullptr;
        QPushButton* btLoadData__Cross = nullptr;
        QRadioButton* rbSeparateFile__Cross = nullptr;
        QRadioButton* rbSecondSheet__Cross = nullptr;
        QRadioButton* rbThirdSheet__Cross = nullptr;
        QProgressBar* pbCross = nullptr;
        QLabel* _x_lbCrossCount = nullptr;

        QGroupBox* gbStartCalc = nullptr;
        QPushButton* btStartCalc = nullptr;
        QProgressBar* pbCalc = nullptr;
        QPlainTextEdit* _x_mCalcLog = nullptr;
    };

    // The file boxes start with the example tables of `exampleFolder`.
    TLoadPage(const tPageContext& context, const QString& exampleFolder, QWidget* parent);
    const tUi& Ui() const { return FUi; }
    // The calculation group's layout; its third row takes the report command.
    QGridLayout* CalcLayout() const;

    // Handlers, public so that the developer shortcut and the tests run them as clicks do.
    void btLoadData__MainClick();
    void btLoadData__CrossClick();
    void btLoadData__GreenClick();
    void _x_btOpenDialMainClick(QObject* sender);
    void rbSelectCrossSource();
    void rbSelectGreenSource();
    void _x_TestButtonClick();
    // The developer shortcut, shown when the installation has a version file.
    void ShowTestButton();

    // Runs the calculation once over the loaded tables; hooks.CauseTexts
    // fills the grids. False when nothing ran (no road, busy, done before).
    bool Calculate(const std::function<void()>& fillGrids);

    // Open dialog texts (set from the language file).
    QString OpenDialTitle, OpenDialFilter = QStringLiteral("Filter|*.xls;*.xlsx;*.ods;*.csv|*.*|*.*");

signals:
    // The calculation button (or the shortcut after its loads) was pressed.
    void CalculateRequested();

private:
    struct tSideGroup;
    void BuildGroup(int index, const QString& exampleFolder);
    void BuildSourceOptions(int index, QGridLayout* grid);
    void BuildCalcGroup();
    void LoadSideTable(const tSideGroup& g);
    void SideTableLoaded(const tSideGroup& g, const tImportResult& result, tSheetChoice choice);
    void AddCalcLog(const QString& text);
    tProgress CalcProgress();

    tPageContext FContext;
    tUi FUi;
};

}  // namespace kestrova
