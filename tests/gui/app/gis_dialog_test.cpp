// The window's GIS export: the item in the export menu, the dialog it opens,
// the remembered coordinate system and the messages of the outcome.
#include "gui_fixture.h"

#include "gui/app/gis_export_dialog.h"
#include "core/util/ini_file.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

namespace kestrova::test {
namespace {

QString GisText(TMainForm& w, const char* key) {
    return w.Engine().GetSectionText(GisTextSection(), QString::fromLatin1(key));
}

class GuiGisExport : public ::testing::Test {
protected:
    void SetUp() override {
        install = std::make_unique<TInstall>(QStringList{QStringLiteral("English.lng"), QStringLiteral("Ukrainian.lng")});
        ChooseEnglish(*install);
        window = std::make_unique<TStartedWindow>(*install, seam);
        w = window->Form.get();
        LoadAllAndCalculate(*w);
        seam.Messages.clear();
        for (QAction* a : w->pmExport->actions())
            if (a->objectName() == QStringLiteral("_x_pmiGisExport")) item = a;
        ASSERT_TRUE(item);
    }
    void TearDown() override { window.reset(); }

    TRecordingSeam seam;
    std::unique_ptr<TInstall> install;
    std::unique_ptr<TStartedWindow> window;
    TMainForm* w = nullptr;
    QAction* item = nullptr;
};

TEST_F(GuiGisExport, MenuItemOpensTheDialogThatWritesAndRemembersTheSystem) {
    emit w->pmExport->aboutToShow();
    EXPECT_EQ(item->text(), QStringLiteral("GIS (GeoPackage, GeoJSON)…"));

    const QString file = install->Folder() + QStringLiteral("road.gpkg");
    bool seen = false;
    QTimer::singleShot(0, w, [&] {
        auto* dialog = qobject_cast<TGisExportDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        seen = true;
        EXPECT_EQ(dialog->windowTitle(), GisText(*w, "GisExport.Caption"));
        EXPECT_TRUE(dialog->CrsEdit()->text().isEmpty());
        dialog->FileEdit()->setText(file);
        dialog->CrsEdit()->setText(QStringLiteral("epsg:32636"));
        dialog->findChild<QPushButton*>(QStringLiteral("_x_btGisExport"))->click();
    });
    item->trigger();
    ASSERT_TRUE(seen);
    ASSERT_EQ(seam.Messages.size(), 1u);
    w->Engine().SetPlaceholder(QStringLiteral("%FileName%"), QDir::toNativeSeparators(file));
    w->Engine().SetPlaceholder(QStringLiteral("%Crs%"), QStringLiteral("EPSG:32636"));
    EXPECT_EQ(seam.Messages[0].Text, GisText(*w, "GisExport.Written"));

    GDALAllRegister();
    GDALDataset* ds = static_cast<GDALDataset*>(
        GDALOpenEx(QFile::encodeName(file).constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    ASSERT_TRUE(ds);
    EXPECT_EQ(ds->GetLayerByName("profiles")->GetFeatureCount(), w->Model().Plan.Count());
    EXPECT_EQ(ds->GetLayerByName("segments")->GetFeatureCount(), w->Model().Pivot.Count());
    EXPECT_EQ(ds->GetLayerByName("crossroads")->GetFeatureCount(), w->Model().CrossRoads.Count());
    GDALClose(ds);

    // The system is kept in the settings file in its written form and
    // offered again by the next dialog.
    {
        const TIniFile settings(install->Settings(), true);
        EXPECT_EQ(settings.ReadText(QStringLiteral("GisExport"), QStringLiteral("Crs"), QString()),
                  QStringLiteral("EPSG:32636"));
    }
    TGisExportDialog again(w, w->Engine(), w->Model(), install->Settings());
    EXPECT_EQ(again.CrsEdit()->text(), QStringLiteral("EPSG:32636"));
}

TEST_F(GuiGisExport, FailuresAreOneMessageAndTheDialogStays) {
    TGisExportDialog dialog(w, w->Engine(), w->Model(), install->Settings());
    const QString folder = install->Folder() + QStringLiteral("taken.gpkg");
    ASSERT_TRUE(QDir().mkpath(folder));
    const struct {
        QString File;
        const char* Crs;
        bool AllLayers;
        const char* Key;
    } cases[] = {
        {folder, "EPSG:32636", true, "GisExport.TargetIsFolder"},
        {install->Folder() + QStringLiteral("a.gpkg"), "EPSG:999999", true, "GisExport.UnknownCrs"},
        {install->Folder() + QStringLiteral("a.geojson"), "", true, "GisExport.GeoJsonNeedsCrs"},
        {install->Folder() + QStringLiteral("a.gpkg"), "EPSG:32636", false, "GisExport.NoLayer"},
    };
    for (const auto& c : cases) {
        seam.Messages.clear();
        dialog.FileEdit()->setText(c.File);
        dialog.CrsEdit()->setText(QString::fromLatin1(c.Crs));
        for (tGisLayer layer : AllGisLayers()) dialog.LayerBox(layer)->setChecked(c.AllLayers);
        EXPECT_FALSE(dialog.Export()) << c.Key;
        ASSERT_EQ(seam.Messages.size(), 1u) << c.Key;
        w->Engine().SetPlaceholder(QStringLiteral("%FileName%"), QDir::toNativeSeparators(c.File));
        w->Engine().SetPlaceholder(QStringLiteral("%Crs%"), QString::fromLatin1(c.Crs));
        EXPECT_EQ(seam.Messages[0].Text, GisText(*w, c.Key)) << c.Key;
    }
    EXPECT_FALSE(QFileInfo::exists(install->Folder() + QStringLiteral("a.gpkg")));
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

}  // namespace
}  // namespace kestrova::test
