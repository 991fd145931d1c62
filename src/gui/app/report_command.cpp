#include "gui/app/report_command.h"

#include "core/app/language_engine.h"
#include "gui/app/main_form.h"
#include "core/app/product.h"
#include "gui/app/ui_seam.h"
#include "gui/pages/load_page.h"
#include "render/report/safety_report.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

namespace kestrova {

TReportCommand::TReportCommand(TMainForm& form, QGridLayout* layout, int row) : QObject(&form), FForm(form) {
    QWidget* parent = layout->parentWidget();
    // "_x_": the caption comes from the report's own language section, and
    // the button has no state to keep between sessions.
    FButton = new QPushButton(QStringLiteral("Report..."), parent);
    FButton->setObjectName(QStringLiteral("_x_btReport"));
    FButton->setMinimumWidth(140);
    FButton->hide();
    FBar = new QProgressBar(parent);
    FBar->setObjectName(QStringLiteral("_x_pbReport"));
    FBar->setTextVisible(true);
    FBar->hide();
    layout->addWidget(FButton, row, 0);
    layout->addWidget(FBar, row, 1);
    connect(FButton, &QPushButton::clicked, this, [this] { Run(); });
}

QString TReportCommand::Text(const char* key) const {
    return FForm.Engine().GetSectionText(ReportSection(), QString::fromLatin1(key));
}

void TReportCommand::AddMenuItem(QMenu* menu) {
    FMenuItem = menu->addAction(QStringLiteral("MenuItem"));
    FMenuItem->setObjectName(QStringLiteral("_x_pmiReport"));
    FMenuItem->setVisible(false);
    connect(FMenuItem, &QAction::triggered, this, [this] {
        if (FForm.Busy()) return;
        FForm.SelectTab(FForm.TabIndex().SourceData);
        Run();
    });
}

void TReportCommand::CalculationDone() {
    ApplyLanguage();
    FButton->show();
    if (FMenuItem) FMenuItem->setVisible(true);
}

void TReportCommand::ApplyLanguage() {
    FButton->setText(Text("Button"));
    if (FMenuItem) FMenuItem->setText(Text("MenuItem"));
}

QString TReportCommand::TableText(const QString& file, bool separate, bool second) const {
    if (separate) return file;
    return Text("SheetOf")
        .replace(QStringLiteral("%FileName%"), QFileInfo(FForm.LoadPage()->Ui().edOpenXL->text()).fileName())
        .replace(QStringLiteral("%Sheet%"), second ? QStringLiteral("2") : QStringLiteral("3"));
}

tReportResult TReportCommand::WriteLocked(const QString& path, const tReportOptions& options) {
    // Locked while writing: no second report, no tab change, no new import.
    const TBusyLock lock = FForm.LockWhileBusy();
    FBar->setRange(0, 1);
    FBar->setValue(0);
    FBar->setFormat(QString());
    FBar->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
    const QString progressText = Text("Progress");
    const tReportResult result = WriteSafetyReport(path, FForm.Model(), options, [&](int page, int pages) {
        FBar->setRange(0, pages);
        FBar->setValue(page);
        FBar->setFormat(QString(progressText)
                            .replace(QStringLiteral("%Page%"), QString::number(page))
                            .replace(QStringLiteral("%Pages%"), QString::number(pages)));
        QApplication::processEvents();
    });
    QApplication::restoreOverrideCursor();
    FBar->hide();
    return result;
}

QString TReportCommand::Run() {
    tRoadModel& model = FForm.Model();
    if (FForm.Busy() || model.Plan.Count() == 0 || model.Pivot.Count() == 0) return QString();
    const QFileInfo road(FForm.LoadPage()->Ui().edOpenXL->text());
    tFileDialogRequest request;
    request.Title = Text("SaveTitle");
    request.Filter = Text("SaveFilter");
    request.FileName = road.absoluteDir().filePath(road.completeBaseName() + QStringLiteral(".pdf"));
    request.DefaultSuffix = QStringLiteral("pdf");
    const QString path = UiSeam().SaveFileName(&FForm, request);
    if (path.isEmpty()) return QString();

    tReportOptions options;
    options.RoadFile = FForm.LoadPage()->Ui().edOpenXL->text();
    if (model.CrossRoads.Count() > 0)
        options.CrossRoadsFile = TableText(FForm.LoadPage()->Ui().edOpenCrossXL->text(), FForm.LoadPage()->Ui().rbSeparateFile__Cross->isChecked(),
                                           FForm.LoadPage()->Ui().rbSecondSheet__Cross->isChecked());
    if (model.Greens.Count() > 0)
        options.GreensFile = TableText(FForm.LoadPage()->Ui().edOpenGreenXL->text(), FForm.LoadPage()->Ui().rbSeparateFile__Green->isChecked(),
                                       FForm.LoadPage()->Ui().rbSecondSheet__Green->isChecked());
    TLanguageEngine& engine = FForm.Engine();
    options.Lookup = [&engine](const QString& section, const QString& key) {
        return engine.GetSectionText(section, key);
    };
    options.ViewTexts = TextsFromEngine(engine);
    options.DecimalSeparator = QLocale().decimalPoint();

    const tReportResult result = WriteLocked(path, options);

    if (!result.Ok) {
        UiSeam().ShowMessage(&FForm, ApplicationTitle(), result.Error, tBoxIcon::Warning);
        return QString();
    }
    // The desktop may accept the file and still find no viewer for it, so the
    // place of the file is told either way, as the workbook export does.
    const bool opened = UiSeam().OpenDocument(path);
    UiSeam().ShowMessage(
        &FForm, ApplicationTitle(),
        Text(opened ? "Saved" : "NoViewer").replace(QStringLiteral("%FileName%"), QDir::toNativeSeparators(path)),
        tBoxIcon::Information);
    return path;
}

}  // namespace kestrova
