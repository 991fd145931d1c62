// The window placement kept in the settings file: the entry's text, and how
// a placement is taken from a window and given back to it. Sizes and
// positions are those of the window's client area (without the frame the
// window manager adds), so a placement comes back exactly where it was
// taken whatever the frame's size.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace kestrova {

constexpr int kNoPlacementValue = -1000000;

struct tFormPlacement {
    int DesktopW = kNoPlacementValue, DesktopH = kNoPlacementValue;
    int W = kNoPlacementValue, H = kNoPlacementValue, L = kNoPlacementValue, T = kNoPlacementValue;
    bool Maximized = false;
    bool operator==(const tFormPlacement&) const = default;
};

// ":sw1920:sh1080:fw800:fh600:fl560:ft240:fm0:"
QString FormatFormPlacement(const tFormPlacement& p);
// Pieces between ":" with a two-letter tag; unknown or unreadable values
// stay kNoPlacementValue.
tFormPlacement ParseFormPlacement(const QString& text);

// What placing needs of a window; the main window, or a stand-in in tests.
class TPlacedWindow {
public:
    virtual ~TPlacedWindow() = default;
    virtual QRect FrameGeometry() const = 0;   // with the window manager's frame
    virtual QRect ClientGeometry() const = 0;  // the client area
    virtual void SetClientGeometry(const QRect& r) = 0;
    virtual QSize MinimumSize() const = 0;
    virtual bool IsMaximized() const = 0;
    virtual void Maximize() = 0;
};

// A top-level widget as a placed window.
class TWidgetPlacement final : public TPlacedWindow {
public:
    explicit TWidgetPlacement(QWidget* window) : FWindow(window) {}
    QRect FrameGeometry() const override;
    QRect ClientGeometry() const override;
    void SetClientGeometry(const QRect& r) override;
    QSize MinimumSize() const override;
    bool IsMaximized() const override;
    void Maximize() override;

private:
    QWidget* FWindow;
};

struct tDesktop {
    QRect Virtual;   // all monitors
    QSize Primary;   // the primary monitor
};

// The placement to store at closing. A maximized window stores the normal
// placement remembered at start-up (when there is one) with the flag set.
tFormPlacement PlacementToSave(const TPlacedWindow& window, const tDesktop& desktop, const tFormPlacement* remembered);

// Centres the window at its minimum size, then takes from the stored
// placement what fits this desktop; maximizes when it says so. Returns the
// placement now in effect (to remember for the next save).
tFormPlacement RestorePlacement(TPlacedWindow& window, const tDesktop& desktop, const tFormPlacement& stored);

// The desktop the application runs on (800 x 600 when there is no screen).
tDesktop CurrentDesktop();

}  // namespace kestrova
