#include "gui/app/form_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace kestrova {

QString FormatFormPlacement(const tFormPlacement& p) {
    return QStringLiteral(":sw%1:sh%2:fw%3:fh%4:fl%5:ft%6:fm%7:")
        .arg(p.DesktopW).arg(p.DesktopH).arg(p.W).arg(p.H).arg(p.L).arg(p.T).arg(p.Maximized ? 1 : 0);
}

tFormPlacement ParseFormPlacement(const QString& text) {
    tFormPlacement p;
    for (const QString& piece : text.split(QLatin1Char(':'))) {
        if (piece.size() < 2) continue;
        const QString tag = piece.left(2).toUpper();
        bool ok = false;
        const int n = piece.mid(2).toInt(&ok);
        const int v = ok ? n : kNoPlacementValue;
        if (tag == QLatin1String("SW")) p.DesktopW = v;
        else if (tag == QLatin1String("SH")) p.DesktopH = v;
        else if (tag == QLatin1String("FW")) p.W = v;
        else if (tag == QLatin1String("FH")) p.H = v;
        else if (tag == QLatin1String("FL")) p.L = v;
        else if (tag == QLatin1String("FT")) p.T = v;
        else if (tag == QLatin1String("FM")) p.Maximized = ok && n == 1;
    }
    return p;
}

tFormPlacement PlacementToSave(const TPlacedWindow& window, const tDesktop& desktop, const tFormPlacement* remembered) {
    const QSize minimum = window.MinimumSize();
    tFormPlacement p;
    p.W = minimum.width() > 0 ? minimum.width() : 0;
    p.L = minimum.width() > 0 ? (desktop.Primary.width() - minimum.width()) / 2 : 0;
    p.H = minimum.height() > 0 ? minimum.height() : 0;
    p.T = minimum.height() > 0 ? (desktop.Primary.height() - minimum.height()) / 2 : 0;
    if (window.IsMaximized()) {
        if (remembered) p = *remembered;
        p.Maximized = true;
    } else {
        // The client area, not the frame: it is what the restore sets.
        const QRect client = window.ClientGeometry();
        p.Maximized = false;
        p.W = client.width();
        p.H = client.height();
        p.L = client.x();
        p.T = client.y();
    }
    p.DesktopW = desktop.Virtual.width();
    p.DesktopH = desktop.Virtual.height();
    return p;
}

tFormPlacement RestorePlacement(TPlacedWindow& window, const tDesktop& desktop, const tFormPlacement& stored) {
    const QSize minimum = window.MinimumSize();
    const QRect current = window.ClientGeometry();
    const QRect desk = desktop.Virtual;
    int w = minimum.width() > 0 ? minimum.width() : current.width();
    int h = minimum.height() > 0 ? minimum.height() : current.height();
    int l = (desktop.Primary.width() - w) / 2;
    int t = (desktop.Primary.height() - h) / 2;
    if (stored.DesktopW == desk.width() && stored.DesktopH == desk.height()) {
        if (stored.W >= minimum.width() && stored.W < desk.width() + 32) w = stored.W;
        if (stored.H >= minimum.height() && stored.H < desk.height() + 32) h = stored.H;
        if (stored.L >= desk.left() && stored.L + w < desk.left() + desk.width() + 32) l = stored.L;
        if (stored.T >= desk.top() && stored.T + h < desk.top() + desk.height() + 32) t = stored.T;
    }
    window.SetClientGeometry(QRect(l, t, w, h));
    if (stored.Maximized) window.Maximize();
    return {desk.width(), desk.height(), w, h, l, t, stored.Maximized};
}

QRect TWidgetPlacement::FrameGeometry() const { return FWindow->frameGeometry(); }
QRect TWidgetPlacement::ClientGeometry() const { return FWindow->geometry(); }
// Placing the client area lets the window manager put its frame around it;
// placing the frame corner would need the frame's size, which is not known
// until the window manager has framed the window.
void TWidgetPlacement::SetClientGeometry(const QRect& r) { FWindow->setGeometry(r); }
QSize TWidgetPlacement::MinimumSize() const { return FWindow->minimumSize(); }
bool TWidgetPlacement::IsMaximized() const { return FWindow->isMaximized(); }
void TWidgetPlacement::Maximize() { FWindow->setWindowState(FWindow->windowState() | Qt::WindowMaximized); }

tDesktop CurrentDesktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {QRect(0, 0, 800, 600), QSize(800, 600)};
    return {screen->virtualGeometry(), screen->geometry().size()};
}

}  // namespace kestrova
