// The window's "Report..." command: a button beside the calculation and an
// item of the grids' export menu, both shown once the road is calculated. It
// asks for a file name, writes the safety report with a progress bar, then
// hands the file to the desktop's PDF viewer and says where the file is (also
// when there is no viewer).
#pragma once

#include "render/report/safety_report.h"

#include <QObject>
#include <QString>

class QAction;
class QGridLayout;
class QMenu;
class QProgressBar;
class QPushButton;

namespace kestrova {

class TMainForm;

class TReportCommand : public QObject {
    Q_OBJECT
public:
    // Puts the (hidden) button and its progress bar into row `row` of layout.
    TReportCommand(TMainForm& form, QGridLayout* layout, int row);

    // The item in `menu` (the grids' export menu): it brings the data page,
    // where the progress is shown, to the front and runs the command.
    void AddMenuItem(QMenu* menu);
    // Shows the button and the menu item: the model holds a calculated road.
    void CalculationDone();
    // Caption in the current language.
    void ApplyLanguage();
    // The click: save dialog, writing, opening. Returns the file written
    // (empty when cancelled or failed).
    QString Run();

    QPushButton* Button() const { return FButton; }
    QAction* MenuItem() const { return FMenuItem; }
    QProgressBar* Bar() const { return FBar; }

private:
    QString Text(const char* key) const;
    QString TableText(const QString& file, bool separate, bool second) const;
    tReportResult WriteLocked(const QString& path, const tReportOptions& options);

    TMainForm& FForm;
    QPushButton* FButton = nullptr;
    QProgressBar* FBar = nullptr;
    QAction* FMenuItem = nullptr;
};

}  // namespace kestrova
