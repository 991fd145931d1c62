// The drawn views page (forward, backward and cross-profile views): the
// profile list, the view options, the picture and the cursor measurement.
#pragma once

#include "core/calc/grid_texts.h"
#include "gui/pages/page_context.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace kestrova {

class TImageView;
class TStringGrid;

class TViewPage final : public QWidget {
    Q_OBJECT
public:
    // The controls, by the names the language and settings files use.
    struct tUi {
        TImageView* Im3d = nullptr;
        TStringGrid* gProfilesList = nullptr;
        QWidget* pan3Dtools = nullptr;
        QGroupBox* rgLookHeight = nullptr;
        QRadioButton* rgLookHeightItems[4] = {};
        QCheckBox* cbDrawLookLines__3D = nullptr;
        QCheckBox* cbDrawRoadGrid__3D = nullptr;
        QWidget* panCProfileTools = nullptr;
        QCheckBox* cbCropProfile30m = nullptr;
        QGroupBox* gbCursorMeas = nullptr;
        QLabel* _x_XMeas = nullptr;
        QLabel* _x_YMeas = nullptr;
    };

    TViewPage(const tPageContext& context, QWidget* parent);
    ~TViewPage() override;
    const tUi& Ui() const { return FUi; }

    // Places the tools, the list and the picture for the view the current
    // tab shows, and draws it.
    void Arrange();
    // Long option texts take two lines in their narrow tool panels.
    void FitTools();
    void Im3dMouseMove(const QPoint& pos);

signals:
    void OptionsChanged();  // a view option was switched: the view is drawn again
    void RowClicked(TStringGrid* grid);

private:
    void BuildTools();
    void BuildMeasure();
    void PlaceTools(tViewTab view);
    void DrawView();

    tPageContext FContext;
    struct tBuffers;
    std::unique_ptr<tBuffers> FBuffers;  // drawing state kept between pictures
    tUi FUi;
};

}  // namespace kestrova
