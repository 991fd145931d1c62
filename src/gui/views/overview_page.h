// The road overview page: the speed-profile diagram above the plan map of the
// whole road, with wheel zoom, drag pan, a reset, hover hints, a click that
// selects a profile, the chosen factors and the map's colouring, export to
// PNG/SVG and copy to the clipboard. Drawing is the render library's; this
// page only keeps the view state and talks to the user.
#pragma once

#include "render/overview_common.h"
#include "render/plan_map_view.h"
#include "render/speed_profile_view.h"

#include <QWidget>

#include <functional>

class QAction;
class QComboBox;
class QHBoxLayout;
class QMenu;
class QSplitter;
class QToolButton;
class QVBoxLayout;

namespace kestrova {

class TIniFile;

// A widget that hands painting and mouse work to its owner.
class TOverviewCanvas final : public QWidget {
    Q_OBJECT
public:
    explicit TOverviewCanvas(QWidget* parent = nullptr);
    std::function<void(QPainter&, const QRect&)> Paint;
    std::function<void(const QPointF& pos, double steps)> Wheel;
    std::function<void(const QPointF& delta)> Drag;
    std::function<void(const QPointF& pos)> Click;
    std::function<QString(const QPointF& pos)> Hint;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointF FPress, FLast;
    bool FPressed = false;
    bool FDragged = false;
};

class TOverviewPage final : public QWidget {
    Q_OBJECT
public:
    using tLookup = std::function<QString(const QString& section, const QString& key)>;

    TOverviewPage(const tRoadModel& model, QWidget* parent = nullptr);

    // Texts from the language files; run on every language change.
    void ApplyLanguage(const tLookup& lookup);
    // The calculation's results are in the model: start from the whole road.
    void ResultsReady();
    // The profile selected in the grids (-1 none): cursor and marker.
    void SetCurrentProfile(int profile);
    int CurrentProfile() const { return FCurrent; }

    // Factors, map colouring and split, kept with the window's control states.
    void SaveState(TIniFile& ini, const QString& section) const;
    void LoadState(const TIniFile& ini, const QString& section);

    tFactorSet Factors() const { return FDiagram.Factors; }
    void SetFactors(tFactorSet factors);
    void SetColouring(tMapColouring colouring);
    // Shown stretch of the diagram (metres) and the map's metres per pixel (0: fitted).
    tKmRange DiagramRange() const { return FDiagram.Range; }
    double MapMetresPerPixel() const { return FMap.MetresPerPixel; }
    void ResetView();

    // The pictures as the page shows them now, at their widgets' sizes.
    QImage DiagramImage() const;
    QImage MapImage() const;
    TOverviewCanvas* DiagramCanvas() const { return FDiagramCanvas; }
    TOverviewCanvas* MapCanvas() const { return FMapCanvas; }
    const tSpeedProfileLayout& DiagramLayout() const { return FDiagramLayout; }
    const tPlanMapLayout& MapLayout() const { return FMapLayout; }

    // Writes a picture to a file, PNG or SVG by its suffix; false with a message on failure.
    bool ExportPicture(bool map, const QString& fileName);

signals:
    // A click on the diagram or the map picked this profile.
    void ProfileClicked(int profile);

private:
    void BuildToolBar(QHBoxLayout* bar);
    void BuildCanvases(QVBoxLayout* lay);
    void ConnectCanvases();
    void ZoomDiagram(const QPointF& pos, double steps);
    void PanDiagram(const QPointF& delta);
    void ZoomMap(const QPointF& pos, double steps);
    void PanMap(const QPointF& delta);
    QString ProfileHint(int profile) const;
    void ExportClicked(bool map);
    void CopyClicked(bool map);
    void FactorsChanged();
    QString Text(const char* key, const QString& fallback) const;

    const tRoadModel& FModel;
    tSpeedProfileOptions FDiagram;
    tPlanMapOptions FMap;
    tSpeedProfileLayout FDiagramLayout;
    tPlanMapLayout FMapLayout;
    int FCurrent = -1;
    tLookup FLookup;
    QList<int> FSavedSplit;

    QToolButton* FFactorsButton = nullptr;
    QMenu* FFactorsMenu = nullptr;
    QAction* FFactorActions[kSpeedFactorCount] = {};
    QComboBox* FColouring = nullptr;
    QToolButton* FReset = nullptr;
    QToolButton* FExport = nullptr;
    QToolButton* FCopy = nullptr;
    QAction* FExportActions[2] = {};
    QAction* FCopyActions[2] = {};
    QSplitter* FSplit = nullptr;
    TOverviewCanvas* FDiagramCanvas = nullptr;
    TOverviewCanvas* FMapCanvas = nullptr;
};

}  // namespace kestrova
