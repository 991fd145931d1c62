// The window placement's round trip through the settings entry, for windows
// framed by a window manager.
#include "gui/app/form_placement.h"

#include <gtest/gtest.h>

#include <QMargins>

namespace kestrova {
namespace {

// A window as a window manager frames it: the frame lies around the client
// area by fixed margins, and the client area goes where it is placed.
class TFramedWindow final : public TPlacedWindow {
public:
    explicit TFramedWindow(QMargins frame) : Frame(frame) {}
    QRect FrameGeometry() const override { return Client.marginsAdded(Frame); }
    QRect ClientGeometry() const override { return Client; }
    void SetClientGeometry(const QRect& r) override { Client = r; }
    QSize MinimumSize() const override { return {800, 600}; }
    bool IsMaximized() const override { return Maximized; }
    void Maximize() override { Maximized = true; }

    QMargins Frame;
    QRect Client{0, 0, 640, 480};
    bool Maximized = false;
};

const tDesktop kDesktop{QRect(0, 0, 1920, 1080), QSize(1920, 1080)};

TEST(FormPlacement, ThreeRestartsLeaveTheWindowWhereItWasClosed) {
    struct tCase {
        QMargins Frame;
        QRect Closed;  // client area at closing
    };
    const tCase cases[] = {
        {QMargins(0, 0, 0, 0), QRect(300, 200, 900, 700)},
        {QMargins(4, 28, 4, 4), QRect(300, 200, 900, 700)},
        {QMargins(1, 23, 1, 1), QRect(5, 24, 800, 600)},      // close to the top-left corner
        {QMargins(8, 40, 8, 8), QRect(1000, 400, 919, 679)},  // up to the desktop's edge
    };
    for (const tCase& c : cases) {
        QString entry;
        {
            TFramedWindow first(c.Frame);
            first.SetClientGeometry(c.Closed);
            entry = FormatFormPlacement(PlacementToSave(first, kDesktop, nullptr));
        }
        for (int start = 1; start <= 3; ++start) {
            TFramedWindow window(c.Frame);  // a new start: the window opens elsewhere
            const tFormPlacement now = RestorePlacement(window, kDesktop, ParseFormPlacement(entry));
            EXPECT_EQ(window.ClientGeometry(), c.Closed) << "start " << start << ", frame top " << c.Frame.top();
            EXPECT_EQ(window.FrameGeometry(), c.Closed.marginsAdded(c.Frame)) << "start " << start;
            EXPECT_FALSE(window.IsMaximized());
            entry = FormatFormPlacement(PlacementToSave(window, kDesktop, &now));
        }
    }
}

TEST(FormPlacement, MaximizedKeepsTheNormalPlacementOfTheStart) {
    TFramedWindow window(QMargins(4, 28, 4, 4));
    const tFormPlacement stored{1920, 1080, 1000, 700, 100, 50, true};
    const tFormPlacement now = RestorePlacement(window, kDesktop, stored);
    EXPECT_TRUE(window.IsMaximized());
    EXPECT_EQ(window.ClientGeometry(), QRect(100, 50, 1000, 700));
    window.Client = QRect(0, 0, 1920, 1050);  // what the maximized window covers
    EXPECT_EQ(PlacementToSave(window, kDesktop, &now), stored);
}

TEST(FormPlacement, EntriesThatDoNotFitThisDesktopCentreTheWindow) {
    struct tCase {
        const char* Entry;
        QRect Expected;
    };
    const tCase cases[] = {
        {":sw1280:sh1024:fw900:fh700:fl10:ft10:fm0:", QRect(560, 240, 800, 600)},   // another desktop
        {":sw1920:sh1080:fw5000:fh700:fl10:ft10:fm0:", QRect(10, 10, 800, 700)},    // too wide
        {":sw1920:sh1080:fw900:fh700:fl-5:ftx:fm0:", QRect(560, 240, 900, 700)},    // off the left edge: centred
        {"", QRect(560, 240, 800, 600)},
    };
    for (const tCase& c : cases) {
        TFramedWindow window(QMargins(4, 28, 4, 4));
        RestorePlacement(window, kDesktop, ParseFormPlacement(QString::fromLatin1(c.Entry)));
        EXPECT_EQ(window.ClientGeometry(), c.Expected) << c.Entry;
    }
}

}  // namespace
}  // namespace kestrova
