#include "gui/app/gis_export_dialog.h"

#include "core/util/ini_file.h"
#include "gui/app/main_form.h"
#include "gui/app/ui_seam.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrova {

namespace {

const char* const kLayerKeys[5] = {"GisExport.LayerProfiles", "GisExport.LayerSegments", "GisExport.LayerCrossRoads",
                                   "GisExport.LayerSightHidden", "GisExport.LayerObjects"};

}  // namespace

TGisExportDialog::TGisExportDialog(QWidget* owner, TLanguageEngine& engine, const tRoadModel& model,
                                   const QString& settingsFile)
    : QDialog(owner), FEngine(engine), FModel(model), FSettingsFile(settingsFile) {
    // Named so that the window's translation and state keeping pass it by.
    setObjectName(QStringLiteral("_x_GisExportDialog"));
    setWindowTitle(Text(QStringLiteral("GisExport.Caption")));

    FFile = new QLineEdit(this);
    FFile->setObjectName(QStringLiteral("_x_edGisFile"));
    FFile->setMinimumWidth(360);
    auto* browse = new QPushButton(Text(QStringLiteral("GisExport.Browse")), this);
    browse->setObjectName(QStringLiteral("_x_btGisBrowse"));
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    auto* fileRow = new QHBoxLayout();
    fileRow->addWidget(FFile, 1);
    fileRow->addWidget(browse);

    FCrs = new QLineEdit(this);
    FCrs->setObjectName(QStringLiteral("_x_edGisCrs"));
    FCrs->setPlaceholderText(QStringLiteral("EPSG:32636"));
    if (!FSettingsFile.isEmpty()) {
        const TIniFile settings(FSettingsFile, true);
        FCrs->setText(settings.ReadText(SettingsSection(), SettingsKey(), QString()));
    }
    auto* crsHint = new QLabel(Text(QStringLiteral("GisExport.CrsHint")), this);
    crsHint->setWordWrap(true);

    auto* layerBox = new QVBoxLayout();
    for (tGisLayer layer : AllGisLayers()) {
        const int i = int(layer);
        FLayers[i] = new QCheckBox(Text(QString::fromLatin1(kLayerKeys[i])) + QStringLiteral(" (") +
                                       GisLayerName(layer) + QLatin1Char(')'),
                                   this);
        FLayers[i]->setObjectName(QStringLiteral("_x_cbGisLayer") + QString::number(i));
        FLayers[i]->setChecked(true);
        layerBox->addWidget(FLayers[i]);
    }
    auto* formatHint = new QLabel(Text(QStringLiteral("GisExport.FormatHint")), this);
    formatHint->setWordWrap(true);

    auto* form = new QFormLayout();
    form->addRow(Text(QStringLiteral("GisExport.FileLabel")), fileRow);
    form->addRow(Text(QStringLiteral("GisExport.CrsLabel")), FCrs);
    form->addRow(QString(), crsHint);
    form->addRow(Text(QStringLiteral("GisExport.LayersLabel")), layerBox);
    form->addRow(QString(), formatHint);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* exportButton = buttons->addButton(Text(QStringLiteral("GisExport.Export")), QDialogButtonBox::AcceptRole);
    exportButton->setObjectName(QStringLiteral("_x_btGisExport"));
    exportButton->setDefault(true);
    QPushButton* cancel = buttons->addButton(Text(QStringLiteral("GisExport.Cancel")), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("_x_btGisCancel"));
    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (Export()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString TGisExportDialog::Text(const QString& key) const { return FEngine.GetSectionText(GisTextSection(), key); }

void TGisExportDialog::Show(const tMessage& message) {
    for (const auto& [name, value] : message.Placeholders) FEngine.SetPlaceholder(name, value);
    UiSeam().ShowMessage(this, windowTitle(), Text(message.Key), tBoxIcon::None);
}

void TGisExportDialog::Browse() {
    tFileDialogRequest request;
    request.Title = Text(QStringLiteral("GisExport.SaveTitle"));
    request.Filter = QStringLiteral("GeoPackage (*.gpkg)|*.gpkg|GeoJSON (*.geojson)|*.geojson");
    request.FileName = FFile->text();
    request.DefaultSuffix = QStringLiteral("gpkg");
    const QString name = UiSeam().SaveFileName(this, request);
    if (!name.isEmpty()) FFile->setText(QDir::toNativeSeparators(name));
}

bool TGisExportDialog::Export() {
    tGisRequest request;
    request.FileName = QDir::fromNativeSeparators(FFile->text().trimmed());
    request.Crs = FCrs->text().trimmed();
    for (tGisLayer layer : AllGisLayers())
        if (FLayers[int(layer)]->isChecked()) request.Layers << GisLayerName(layer);
    if (request.Layers.isEmpty()) {
        Show(tMessage(QStringLiteral("GisExport.NoLayer")));
        return false;
    }
    // A GeoJSON file holds one layer: with every layer ticked (the dialog's
    // start) it takes the default one.
    const auto format = GisFormatOfFile(request.FileName);
    if (format == tGisFormat::GeoJson && request.Layers.size() == int(AllGisLayers().size())) request.Layers.clear();

    // The system is remembered whatever comes of the export, once it is well formed.
    if (!FSettingsFile.isEmpty() && (request.Crs.isEmpty() || ParseEpsgCode(request.Crs))) {
        TIniFile settings(FSettingsFile, false);
        const QString normal = request.Crs.isEmpty() ? QString()
                                                     : QStringLiteral("EPSG:%1").arg(*ParseEpsgCode(request.Crs));
        settings.WriteText(SettingsSection(), SettingsKey(), normal);
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const tSectionLookup lookup = [this](const QString& section, const QString& key) {
        return FEngine.GetSectionText(section, key);
    };
    const tGisResult result = WriteGis(FModel, lookup, request);
    QApplication::restoreOverrideCursor();
    Show(GisResultMessage(result, QDir::toNativeSeparators(request.FileName)));
    return result.Ok();
}

void AddGisExportItem(QMenu* menu, TMainForm* form) {
    QAction* item = menu->addAction(QStringLiteral("GisExport.MenuItem"));
    // Translated here from the export's own section, not by component name.
    item->setObjectName(QStringLiteral("_x_pmiGisExport"));
    QObject::connect(menu, &QMenu::aboutToShow, item, [item, form] {
        item->setText(form->Engine().GetSectionText(GisTextSection(), QStringLiteral("GisExport.MenuItem")));
    });
    QObject::connect(item, &QAction::triggered, form, [form] {
        TGisExportDialog dialog(form, form->Engine(), form->Model(), form->SettingsFileName());
        dialog.exec();
    });
}

}  // namespace kestrova
