// The window title and the about page show the version written once, in
// project(Kestrova VERSION major.minor.build) of CMakeLists.txt.
#include "core/app/product.h"
#include "test_support.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QRegularExpressionMatch ProjectVersion() {
    QFile f(kestrova::test::SourceDir() + QStringLiteral("/CMakeLists.txt"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression re(QStringLiteral(R"(project\(Kestrova VERSION (\d+)\.(\d+)\.(\d+)[ )])"));
    return re.match(QString::fromUtf8(f.readAll()));
}

TEST(Product, TitleIsNameBlankVersion) {
    const auto v = ProjectVersion();
    ASSERT_TRUE(v.hasMatch());
    EXPECT_EQ(kestrova::ApplicationTitle(),
              QStringLiteral("Kestrova v.%1.%2.%3").arg(v.captured(1), v.captured(2), v.captured(3)));
}

TEST(Product, AboutTextSplitsTheBuildNumberOff) {
    const auto v = ProjectVersion();
    ASSERT_TRUE(v.hasMatch());
    EXPECT_EQ(kestrova::kAboutVersionText,
              QStringLiteral("Version %1.%2.  Build %3").arg(v.captured(1), v.captured(2), v.captured(3)));
}

}  // namespace
