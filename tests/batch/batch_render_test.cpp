// kestrova-batch render on the example road: the picture the window would
// show, written to a PNG of the asked size; wrong options are refused.
#include "test_support.h"
#include "view_model.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

namespace kestrova {
namespace {

test::tBatchRun RunBatch(const QStringList& args) { return test::RunBatch(QStringLiteral("render"), args); }

QStringList Road() {
    const QString dir = test::BinDir() + QStringLiteral("/examples/");
    return {QStringLiteral("--road"),   dir + QStringLiteral("road.csv"),  QStringLiteral("--crossroads"),
            dir + QStringLiteral("crossroads.csv"), QStringLiteral("--greens"), dir + QStringLiteral("greens.csv")};
}

class BatchRender : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(test::BinDir() + QStringLiteral("/examples/road.csv")))
            GTEST_SKIP() << "no example road next to the batch program";
        ASSERT_TRUE(dir_.isValid());
    }
    QString Png(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(BatchRender, WritesEachViewAtTheAskedSize) {
    struct Case {
        QStringList Args;
        QString Name;
    };
    const Case cases[] = {
        {{QStringLiteral("--view"), QStringLiteral("forward"), QStringLiteral("--profile"), QStringLiteral("30")},
         QStringLiteral("fwd.png")},
        {{QStringLiteral("--view"), QStringLiteral("backward"), QStringLiteral("--profile"), QStringLiteral("30"),
          QStringLiteral("--no-look-lines"), QStringLiteral("--look-height"), QStringLiteral("3")},
         QStringLiteral("bwd.png")},
        {{QStringLiteral("--view"), QStringLiteral("cross-profile"), QStringLiteral("--profile"), QStringLiteral("30"),
          QStringLiteral("--crop-30m")},
         QStringLiteral("cross.png")},
        {{QStringLiteral("--view"), QStringLiteral("crossroads"), QStringLiteral("--crossroad"), QStringLiteral("3"),
          QStringLiteral("--direction"), QStringLiteral("rev")},
         QStringLiteral("cr.png")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        const test::tBatchRun r = RunBatch(Road() + c.Args +
                                QStringList{QStringLiteral("--size"), QStringLiteral("500x300"), QStringLiteral("--png"),
                                            Png(c.Name)});
        ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
        const QImage img(Png(c.Name));
        ASSERT_EQ(img.size(), QSize(500, 300));
        // Every view draws its black frame on white (the crossroads view inset by 5 px).
        EXPECT_GT(test::CountColour(img, Qt::black), 500);
        EXPECT_GT(test::CountColour(img, Qt::white), 1000);
    }
    // Without look lines the backward view has no red sight lines.
    EXPECT_EQ(test::CountColour(QImage(Png(QStringLiteral("bwd.png"))), QColor(255, 17, 17)), 0);
}

TEST_F(BatchRender, RefusesWhatItCannotDraw) {
    struct Case {
        QStringList Args;
        int Code;
        const char* Says;
    };
    const QString png = Png(QStringLiteral("x.png"));
    const Case cases[] = {
        {{QStringLiteral("--view"), QStringLiteral("sideways"), QStringLiteral("--profile"), QStringLiteral("1")}, 1,
         "--view must be"},
        {{QStringLiteral("--view"), QStringLiteral("forward")}, 1, "--profile is missing"},
        {{QStringLiteral("--view"), QStringLiteral("forward"), QStringLiteral("--profile"), QStringLiteral("1"),
          QStringLiteral("--look-height"), QStringLiteral("4")},
         1, "--look-height"},
        {{QStringLiteral("--view"), QStringLiteral("forward"), QStringLiteral("--profile"), QStringLiteral("1"),
          QStringLiteral("--size"), QStringLiteral("5x5")},
         1, "--size"},
        {{QStringLiteral("--view"), QStringLiteral("forward"), QStringLiteral("--profile"), QStringLiteral("99999")}, 2,
         "out of range"},
        {{QStringLiteral("--view"), QStringLiteral("crossroads"), QStringLiteral("--crossroad"), QStringLiteral("0"),
          QStringLiteral("--direction"), QStringLiteral("fwd")},
         2, "SKIP"},
        {{QStringLiteral("--view"), QStringLiteral("crossroads"), QStringLiteral("--crossroad"), QStringLiteral("3"),
          QStringLiteral("--direction"), QStringLiteral("fwd"), QStringLiteral("--profile"), QStringLiteral("0")},
         2, "no approach profile"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Says);
        const test::tBatchRun r = RunBatch(Road() + c.Args + QStringList{QStringLiteral("--png"), png});
        EXPECT_EQ(r.Exit, c.Code);
        EXPECT_TRUE(r.Err.contains(QString::fromLatin1(c.Says))) << r.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(png));
    }
    // An unwritable target is reported and leaves nothing behind.
    const QString bad = dir_.filePath(QStringLiteral("missing/dir/x.png"));
    const test::tBatchRun r = RunBatch(Road() + QStringList{QStringLiteral("--view"), QStringLiteral("forward"),
                                                 QStringLiteral("--profile"), QStringLiteral("1"), QStringLiteral("--png"),
                                                 bad});
    EXPECT_EQ(r.Exit, 2);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("cannot write")));
}

}  // namespace
}  // namespace kestrova
