// The GIS export of the window: an item "GIS (GeoPackage, GeoJSON)…" in the
// result grids' export menu opens a small dialog with the file, the
// coordinate system (EPSG:NNNN, remembered in the settings file) and the
// layers, and writes the results through the core's GIS writer.
#pragma once

#include "core/app/language_engine.h"
#include "core/export/gis_writer.h"
#include "core/model/road_model.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace kestrova {

class TMainForm;

class TGisExportDialog : public QDialog {
    Q_OBJECT
public:
    // Texts from engine (section "GisExport"); the system last used is read
    // from settingsFile.
    TGisExportDialog(QWidget* owner, TLanguageEngine& engine, const tRoadModel& model, const QString& settingsFile);

    QLineEdit* FileEdit() const { return FFile; }
    QLineEdit* CrsEdit() const { return FCrs; }
    QCheckBox* LayerBox(tGisLayer layer) const { return FLayers[int(layer)]; }

    // Writes the file with the dialog's values, remembers the system and
    // shows the outcome in a message box; true when the file was written.
    // The export button runs it and closes the dialog on success.
    bool Export();

    // Section and key of the remembered system in the settings file.
    static QString SettingsSection() { return QStringLiteral("GisExport"); }
    static QString SettingsKey() { return QStringLiteral("Crs"); }

private:
    QString Text(const QString& key) const;
    void Show(const tMessage& message);
    void Browse();

    TLanguageEngine& FEngine;
    const tRoadModel& FModel;
    QString FSettingsFile;
    QLineEdit* FFile = nullptr;
    QLineEdit* FCrs = nullptr;
    QCheckBox* FLayers[5] = {};
};

// Adds the GIS item to the export menu of the result grids; its text follows
// the window's language each time the menu opens.
void AddGisExportItem(QMenu* menu, TMainForm* form);

}  // namespace kestrova
