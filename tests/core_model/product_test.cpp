#include "app/product.h"

#include <gtest/gtest.h>

TEST(Product, TitleIsNameBlankVersion) {
    EXPECT_EQ(kestrova::ApplicationTitle(), QStringLiteral("Kestrova v.3.0.702"));
}
