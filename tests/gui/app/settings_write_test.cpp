// Closing the window saves the control states and the placement; when the
// settings file cannot be written the user is told so, once, with
// "Write error to file " and the file name. The faults are made so that root
// cannot write through them either: a folder in the file's place, a file as
// its folder, a full disk.
#include "gui_fixture.h"

#include "core/app/product.h"

#include <QFileInfo>
#include <QLineEdit>

namespace kestrova::test {
namespace {

enum class tFault { None, FolderInPlace, ParentIsAFile, FullDisk };

struct tSettingsCase {
    const char* Name;
    tFault Fault;
};

class GuiSettingsWrite : public ::testing::TestWithParam<tSettingsCase> {};

TEST_P(GuiSettingsWrite, FailureIsShownOnceAndNothingIsLost) {
    const tSettingsCase& c = GetParam();
#if !defined(Q_OS_UNIX)
    if (c.Fault == tFault::FullDisk) GTEST_SKIP() << "the full disk is a Unix file-size limit";
#endif
    TInstall install({QStringLiteral("English.lng")});
    QString settings = install.Settings();
    const QByteArray old = "[MainForm.Components]\r\nedLang=ENGLISH\r\n";
    switch (c.Fault) {
        case tFault::None:
        case tFault::FullDisk: ASSERT_TRUE(WriteFile(settings, old)); break;
        case tFault::FolderInPlace:
            ASSERT_TRUE(QDir().mkpath(settings));
            ASSERT_TRUE(WriteFile(settings + QStringLiteral("/inside.txt"), "keep"));
            break;
        case tFault::ParentIsAFile:
            ASSERT_TRUE(WriteFile(install.Folder() + QStringLiteral("Morvanta"), "a file"));
            settings = install.Folder() + QStringLiteral("Morvanta/Kestrova.ini");
            break;
    }
    TRecordingSeam seam;
    TStartedWindow w(install, seam, settings);
    seam.Messages.clear();
    // Long enough that the file outgrows the full disk.
    w->LoadPage()->Ui().edOpenXL->setText(QString(16 * 1024, QLatin1Char('x')));
#if defined(Q_OS_UNIX)
    std::unique_ptr<tFullDisk> disk;
    if (c.Fault == tFault::FullDisk) {
        disk = std::make_unique<tFullDisk>(4096);
        ASSERT_TRUE(disk->Ok);
    }
#endif
    w->close();
#if defined(Q_OS_UNIX)
    disk.reset();
#endif

    if (c.Fault == tFault::None) {
        EXPECT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
        EXPECT_TRUE(ReadFile(settings).contains(QString(16 * 1024, QLatin1Char('x')).toLatin1()));
        return;
    }
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, QStringLiteral("Write error to file ") + settings);
    EXPECT_EQ(seam.Messages[0].Caption, ApplicationTitle());
    switch (c.Fault) {
        case tFault::FullDisk:
            // The states did not fit; the short placement entry did, added to the whole old file.
            EXPECT_TRUE(ReadFile(settings).startsWith(old));
            EXPECT_FALSE(ReadFile(settings).contains("xxxx"));
            break;
        case tFault::FolderInPlace:
            EXPECT_TRUE(QFileInfo(settings).isDir());
            EXPECT_EQ(ReadFile(settings + QStringLiteral("/inside.txt")), QByteArray("keep"));
            break;
        case tFault::ParentIsAFile: EXPECT_EQ(ReadFile(install.Folder() + QStringLiteral("Morvanta")), "a file"); break;
        case tFault::None: break;
    }
    // Nothing half written is left beside the settings file.
    for (const QString& f : QDir(QFileInfo(settings).path()).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(f.contains(QStringLiteral("tmp"))) << f.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Faults, GuiSettingsWrite,
                         ::testing::Values(tSettingsCase{"Writable", tFault::None},
                                           tSettingsCase{"FolderInPlace", tFault::FolderInPlace},
                                           tSettingsCase{"ParentIsAFile", tFault::ParentIsAFile},
                                           tSettingsCase{"FullDisk", tFault::FullDisk}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace kestrova::test
