#include "core/app/settings_folder.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace kestrova;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : FName(name) {
        if (qEnvironmentVariableIsSet(name)) FOld = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (FOld) qputenv(FName, *FOld);
        else qunsetenv(FName);
    }

private:
    const char* FName;
    std::optional<QByteArray> FOld;
};

TEST(SettingsFolder, MakesMakerAndProductFoldersUnderAppData) {
    QTemporaryDir dir;
    ScopedEnv appData("APPDATA", QFile::encodeName(dir.path()));
    const QString folder = SettingsFolder(QStringLiteral(" Morvanta "), QStringLiteral("Kestrova "));
    EXPECT_EQ(folder, dir.path() + "/Morvanta/Kestrova/");
    EXPECT_TRUE(QFileInfo(folder).isDir());
    // A second call finds them.
    EXPECT_EQ(SettingsFolder(QStringLiteral("Morvanta"), QStringLiteral("Kestrova")), folder);
    EXPECT_EQ(SettingsFileName(QStringLiteral("/opt/kestrova/")), folder + "Kestrova.ini");
}

TEST(SettingsFolder, EmptyNamesAddNoLevel) {
    QTemporaryDir dir;
    ScopedEnv appData("APPDATA", QFile::encodeName(dir.path()));
    EXPECT_EQ(SettingsFolder(QString(), QStringLiteral("Kestrova")), dir.path() + "/Kestrova/");
    EXPECT_EQ(SettingsFolder(QString(), QString()), dir.path() + "/");
}

TEST(SettingsFolder, UnusableAppDataGivesNoFolderAndTheFileLiesNextToTheExecutable) {
    QTemporaryDir dir;
    ScopedEnv appData("APPDATA", QFile::encodeName(dir.filePath("missing")));
    EXPECT_TRUE(SettingsFolder(QStringLiteral("Morvanta"), QStringLiteral("Kestrova")).isEmpty());
    EXPECT_EQ(SettingsFileName(QStringLiteral("/opt/kestrova/")), "/opt/kestrova/Kestrova.ini");
    EXPECT_EQ(SettingsFileName(QStringLiteral("/opt/kestrova")), "/opt/kestrova/Kestrova.ini");
}

TEST(SettingsFolder, FileInPlaceOfTheMakerFolderGivesNoFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(kestrova::test::WriteFile(dir.filePath("Morvanta"), "not a folder"));
    ScopedEnv appData("APPDATA", QFile::encodeName(dir.path()));
    EXPECT_TRUE(SettingsFolder(QStringLiteral("Morvanta"), QStringLiteral("Kestrova")).isEmpty());
}

TEST(SettingsFolder, WithoutAppDataThePerUserConfigurationFolderIsUsed) {
    QTemporaryDir dir;
    ScopedEnv appData("APPDATA", QByteArray());
#ifndef _WIN32
    ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    const QString folder = SettingsFolder(QStringLiteral("Morvanta"), QStringLiteral("Kestrova"));
    EXPECT_EQ(folder, dir.filePath("config") + "/Morvanta/Kestrova/");
    EXPECT_TRUE(QFileInfo(folder).isDir());
#else
    EXPECT_FALSE(SettingsFolder(QStringLiteral("Morvanta"), QStringLiteral("Kestrova")).isEmpty());
#endif
}

}  // namespace
