// What every drawn view takes besides the model: which view, which profile or
// crossroad, the tool options of the window, the target's size and pixels per
// inch, and where display texts come from. The views never look at a window;
// the window and the batch program fill this record and call the same code.
#pragma once

#include "core/model/message.h"
#include "core/model/road_model.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

namespace kestrova {

class TLanguageEngine;

struct tRenderTarget {
    QSize Size{800, 600};
    int PixelsPerInch = 96;
};

enum class tViewKind { Forward, Backward, CrossProfile, CrossRoads };

// Display texts of the views. Message looks a key up in the "Messages" section
// after setting the message's placeholders; SectionText reads a key of a named
// section (grid headers live in "MainForm.Grids"). Without a callback the key
// itself is shown, so a view always has something to write.
struct tViewTexts {
    std::function<QString(const tMessage& message)> Message;
    std::function<QString(const QString& section, const QString& key)> SectionText;

    QString GetMessage(const tMessage& message) const;
    QString GetMessage(const QString& key) const { return GetMessage(tMessage(key)); }
    QString GetSectionText(const QString& section, const QString& key) const;
};

// Texts through the one language engine (placeholders are set on it, as every
// other message of the system does).
tViewTexts TextsFromEngine(TLanguageEngine& engine);

struct tViewOptions {
    tViewKind View = tViewKind::Forward;
    int Profile = 0;            // 0-based profile index (selected row of the profile list - 1)
    int LookHeight = 1;         // item of the look-height choice: 0 eye height, 1 10 m, 2 50 m, 3 200 m
    bool DrawLookLines = true;  // red sight lines in the road view
    bool DrawRoadGrid = true;   // grey outline of the carriageway quads
    bool Crop30m = false;       // cross-profile view: about 30 m either side of the centre
    int CrossRoad = 0;          // index in the crossroads table
    int Direction = DirFwd;     // crossroads view: DirFwd or DirRev
    tRenderTarget Target;
    // Colour around the crossroads picture (the window's button face).
    QColor ButtonFace = QColor(240, 240, 240);
    tViewTexts Texts;
};

// A fresh 24-bit picture of the target's size whose physical resolution is the
// target's pixels per inch, so font point sizes come out as on that screen.
// Reuses the caller's image when it already has that size and format.
// False when no image of that size could be had (the views then draw nothing).
bool PrepareSurface(QImage& image, const tRenderTarget& target);

// Pixels per inch the views compute with (at least 1).
int SurfacePpi(const tRenderTarget& target);

// The kind colours of the cross-section segments, shared by the three views:
// kind 1 black, kind 3 dark grey, kind 4 (building) olive, kind 5 (vegetation)
// green, kinds 0 and 2 light grey.
QColor KindColor(int kind);

// x in the shortest general form with the locale's decimal separator.
QString ShortestText(double x);

}  // namespace kestrova
