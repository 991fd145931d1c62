// The application icon comes in every size the window and the task bar ask for,
// each drawn from its own picture.
#include "gui_fixture.h"

#include "gui/app/app_icon.h"

#include <QImage>

namespace kestrova::test {
namespace {

TEST(AppIcon, HoldsEachSizeAsItsOwnPicture) {
    App();
    const QIcon icon = ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 64, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        const QImage picture = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(picture.size(), QSize(size, size)) << size;
        // The rounded corners are (nearly) transparent, the middle is opaque.
        EXPECT_LT(qAlpha(picture.pixel(0, 0)), 64) << size;
        EXPECT_EQ(qAlpha(picture.pixel(size / 2, size / 2)), 255) << size;
    }
}

TEST(AppIcon, NamesTheDesktopEntry) {
    App();
    SetApplicationIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("kestrova"));
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
}

}  // namespace
}  // namespace kestrova::test
