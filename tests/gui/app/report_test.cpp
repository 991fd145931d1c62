// The window's "Report..." command: shown after the calculation, writes the
// chosen file, hands it to the PDF viewer and tells where the file is (also
// when there is no viewer), and reports an unwritable target once, leaving it be.
#include "gui_fixture.h"

#include "gui/app/report_command.h"
#include "render/report/safety_report.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>

namespace kestrova::test {
namespace {

class GuiReport : public ::testing::Test {
protected:
    void SetUp() override {
        install = std::make_unique<TInstall>(QStringList{QStringLiteral("English.lng")});
        ChooseEnglish(*install);
        window = std::make_unique<TStartedWindow>(*install, seam);
        w = window->Form.get();
        ASSERT_TRUE(out.isValid());
    }
    void TearDown() override { window.reset(); }

    void Calculate() {
        LoadAllAndCalculate(*w);
        seam.Messages.clear();  // the generated road's crossroad that crosses twice
    }
    QString Text(const char* key) { return w->Engine().GetSectionText(ReportSection(), QString::fromLatin1(key)); }

    TRecordingSeam seam;
    std::unique_ptr<TInstall> install;
    std::unique_ptr<TStartedWindow> window;
    TMainForm* w = nullptr;
    QTemporaryDir out;
};

TEST_F(GuiReport, AppearsAfterTheCalculationAndOpensTheWrittenReport) {
    TReportCommand* report = w->Report();
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->Button()->isHidden());
    EXPECT_TRUE(report->Run().isEmpty());  // nothing calculated: no dialog
    Calculate();
    EXPECT_FALSE(report->Button()->isHidden());  // on the data page, beside the calculation
    EXPECT_EQ(report->Button()->text(), QStringLiteral("Report..."));

    const QString pdf = out.filePath(QStringLiteral("road report.pdf"));
    seam.SaveAnswers.push_back(pdf);
    report->Button()->click();
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Icon, tBoxIcon::Information);
    EXPECT_EQ(seam.Messages[0].Text, Text("Saved").replace(QStringLiteral("%FileName%"), QDir::toNativeSeparators(pdf)));
    seam.Messages.clear();
    ASSERT_EQ(seam.OpenedDocuments.size(), 1u);
    EXPECT_EQ(seam.OpenedDocuments[0], pdf);
    EXPECT_TRUE(ReadFile(pdf).startsWith("%PDF-"));
    EXPECT_TRUE(report->Bar()->isHidden());
    EXPECT_TRUE(w->Tabs()->isEnabled());

    // Cancelling the dialog writes nothing.
    EXPECT_TRUE(report->Run().isEmpty());
    EXPECT_EQ(seam.OpenedDocuments.size(), 1u);
    EXPECT_TRUE(seam.Messages.empty());
}

TEST_F(GuiReport, ExportMenuItemWritesFromTheGridPagesWithTheProgressInView) {
    QAction* item = w->Report()->MenuItem();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(w->pmExport->actions().contains(item));
    EXPECT_FALSE(item->isVisible());  // nothing calculated
    Calculate();
    ASSERT_TRUE(item->isVisible());
    EXPECT_EQ(item->text(), QStringLiteral("Safety report (PDF)…"));
    ASSERT_EQ(w->Tabs()->currentIndex(), w->TabIndex().DraftSpeeds);  // where the calculation leaves the user

    const QString pdf = out.filePath(QStringLiteral("from menu.pdf"));
    seam.SaveAnswers.push_back(pdf);
    item->trigger();
    EXPECT_EQ(w->Tabs()->currentIndex(), w->TabIndex().SourceData);  // the report's progress bar is there
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Text("Saved").replace(QStringLiteral("%FileName%"), QDir::toNativeSeparators(pdf)));
    EXPECT_TRUE(ReadFile(pdf).startsWith("%PDF-"));
}

TEST_F(GuiReport, WithoutAViewerItSaysWhereTheFileIs) {
    Calculate();
    seam.OpenDocumentResult = false;
    const QString pdf = out.filePath(QStringLiteral("r.pdf"));
    seam.SaveAnswers.push_back(pdf);
    EXPECT_EQ(w->Report()->Run(), pdf);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Icon, tBoxIcon::Information);
    EXPECT_EQ(seam.Messages[0].Text, Text("NoViewer").replace(QStringLiteral("%FileName%"), QDir::toNativeSeparators(pdf)));
    EXPECT_TRUE(QFileInfo(pdf).isFile());
}

TEST_F(GuiReport, AFolderInTheTargetsPlaceGivesOneMessageAndStaysAsItWas) {
    Calculate();
    const QString target = out.filePath(QStringLiteral("taken.pdf"));
    ASSERT_TRUE(QDir().mkpath(target));
    seam.SaveAnswers.push_back(target);
    EXPECT_TRUE(w->Report()->Run().isEmpty());
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Icon, tBoxIcon::Warning);
    EXPECT_EQ(seam.Messages[0].Text, Text("WriteError").replace(QStringLiteral("%FileName%"), target));
    EXPECT_TRUE(seam.OpenedDocuments.empty());
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
    EXPECT_TRUE(w->Report()->Button()->isEnabled());
    EXPECT_TRUE(w->Tabs()->isEnabled());
}

}  // namespace
}  // namespace kestrova::test
