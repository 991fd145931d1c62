// The crossroads page: the list of crossroads with the two directions, the
// approach profiles of the chosen one and its drawn plan.
#pragma once

#include "gui/pages/page_context.h"

#include <QWidget>

#include <memory>

class QGroupBox;
class QRadioButton;

namespace kestrova {

class TImageView;
struct tCrossRoadSelection;
class TStringGrid;

class TCrossRoadsPage final : public QWidget {
    Q_OBJECT
public:
    // The controls, by the names the language and settings files use.
    struct tUi {
        QGroupBox* gbCRoadList = nullptr;
        TStringGrid* gCRoadsList = nullptr;
        QRadioButton* rbCRoadFwd = nullptr;
        QRadioButton* rbCRoadRev = nullptr;
        QGroupBox* gbCRoadsPProfiles = nullptr;
        TStringGrid* gCrProfilesList = nullptr;
        TImageView* imCRoads = nullptr;
    };

    TCrossRoadsPage(const tPageContext& context, QWidget* parent);
    ~TCrossRoadsPage() override;
    const tUi& Ui() const { return FUi; }

    // The list answers clicks once the calculation has filled it.
    void Enable() { FGuard = false; }
    // The page came to the front: the lists fit and the chosen crossroad is drawn.
    void Shown();

    // Handlers, public so that the tests run them as clicks do.
    void gCRoadsListClick();
    void gCrProfilesListClick();

signals:
    // The approach profile drawn now; the factor speeds grid follows it.
    void ProfileShown(int profile);

private:
    void FillApproaches(const tCrossRoadSelection& selection);

    tPageContext FContext;
    bool FGuard = true;  // the page ignores clicks until it exists and while it fills itself
    int FShown = -1;     // crossroad shown last
    struct tBuffers;
    std::unique_ptr<tBuffers> FBuffers;
    tUi FUi;
};

}  // namespace kestrova
