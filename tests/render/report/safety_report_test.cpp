// The safety report of the example road, read back as text (pdftotext) and
// compared with the pivot table and the crossroads list it reports; its
// fonts are all embedded (pdffonts); a target that cannot be written leaves
// what was there untouched.
#include "test_support.h"

#include "core/app/language_engine.h"
#include "core/app/product.h"
#include "core/calc/calc_run.h"
#include "core/calc/crossroads_list.h"
#include "core/calc/grid_texts.h"
#include "core/calc/pivot.h"
#include "core/import/crossroads_import.h"
#include "core/import/greens_import.h"
#include "core/import/road_import.h"
#include "core/model/road_text.h"
#include "render/report/safety_report.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace kestrova::test {
namespace {

QString Examples(const QString& name) { return SourceDir() + QStringLiteral("/examples/") + name; }

// The example road with crossroads and vegetation/buildings, calculated.
const tRoadModel& ExampleRoad() {
    static const tRoadModel model = [] {
        tRoadModel m;
        const QString road = Examples(QStringLiteral("road.csv"));
        EXPECT_TRUE(ImportRoad(road, m).Success);
        EXPECT_TRUE(ImportGreens(road, Examples(QStringLiteral("greens.csv")), tSheetChoice::SeparateFile, m).Success);
        EXPECT_TRUE(
            ImportCrossRoads(road, Examples(QStringLiteral("crossroads.csv")), tSheetChoice::SeparateFile, m).Success);
        RunCalculation(m, tProgress{});
        return m;
    }();
    return model;
}

QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Pages of the document as laid-out text.
QStringList PdfPages(const QString& pdf) {
    QStringList pages = Tool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// The first line of a page under its header line: the page's title.
QString PageTitle(const QString& page) {
    const QStringList lines = page.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    int seen = 0;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty()) continue;
        if (seen++ == 1) return line.trimmed();
    }
    return QString();
}

// Cells in a row of a laid-out table: separated by blanks; the whole line, or
// its beginning when more cells follow.
QRegularExpression RowPattern(const QStringList& cells, bool wholeLine = true) {
    QStringList parts;
    for (const QString& c : cells)
        if (!c.isEmpty()) parts << QRegularExpression::escape(c);
    return QRegularExpression(QStringLiteral("^\\s*") + parts.join(QStringLiteral("\\s+")) +
                                  (wholeLine ? QStringLiteral("\\s*$") : QStringLiteral("\\s")),
                              QRegularExpression::MultilineOption);
}

struct tLanguageCase {
    const char* File;
    QString Decimal;
};

class SafetyReportTest : public ::testing::TestWithParam<tLanguageCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        language_ = MakeKestrovaLanguageEngine();
        ASSERT_TRUE(language_.LoadLanguage(SourceDir() + QStringLiteral("/lang/") +
                                           QString::fromLatin1(GetParam().File)));
        lookup_ = [this](const QString& s, const QString& k) { return language_.GetSectionText(s, k); };
        FillHeaderTexts(grid_, lookup_);
        FillCauseTexts(grid_, lookup_);
    }
    QString T(const char* key) const { return lookup_(ReportSection(), QString::fromLatin1(key)); }
    tReportOptions Options() const {
        tReportOptions o;
        o.RoadFile = Examples(QStringLiteral("road.csv"));
        o.CrossRoadsFile = Examples(QStringLiteral("crossroads.csv"));
        o.GreensFile = Examples(QStringLiteral("greens.csv"));
        o.Created = QDateTime(QDate(2026, 3, 14), QTime(9, 0));
        o.Lookup = lookup_;
        o.DecimalSeparator = GetParam().Decimal;
        return o;
    }
    tGridSource Source(const tRoadModel& m) const {
        tGridSource s;
        s.Plan = &m.Plan;
        s.Pivot = &m.Pivot;
        s.Language = &grid_;
        s.DecimalSeparator = GetParam().Decimal;
        return s;
    }
    // The pages whose title is `title` joined, in document order.
    static QString Section(const QStringList& pages, const QString& title) {
        QString text;
        for (const QString& page : pages)
            if (PageTitle(page) == title) text += page;
        return text;
    }

    QTemporaryDir dir_;
    TLanguageEngine language_ = MakeKestrovaLanguageEngine();
    tSectionLookup lookup_;
    tGridLanguage grid_;
};

TEST_P(SafetyReportTest, TextMatchesPivotTableAndCrossroadsList) {
    tRoadModel model = ExampleRoad();
    const QString pdf = dir_.filePath(QStringLiteral("report.pdf"));
    const tReportResult result = WriteSafetyReport(pdf, model, Options());
    ASSERT_TRUE(result.Ok) << result.Error.toStdString();
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), result.Pages);

    // Every page: header with the road file name and the date, and its number.
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(pages[i].trimmed().startsWith(QStringLiteral("road.csv"))) << i;
        EXPECT_TRUE(pages[i].contains(QStringLiteral("2026-03-14"))) << i;
        const QString number = QString(T("Page"))
                                   .replace(QStringLiteral("%Page%"), QString::number(i + 1))
                                   .replace(QStringLiteral("%Pages%"), QString::number(pages.size()));
        EXPECT_TRUE(pages[i].contains(number)) << number.toStdString();
    }

    // Title page: the counts of the model.
    const tRoadModel& m = model;
    const QString title = pages[0];
    EXPECT_TRUE(title.contains(ApplicationTitle()));
    EXPECT_TRUE(title.contains(RowPattern({T("Profiles"), QString::number(m.Plan.Count())})));
    EXPECT_TRUE(title.contains(RowPattern({T("Objects"), QString::number(m.Greens.Count())})));
    EXPECT_TRUE(title.contains(RowPattern({T("CrossRoads"), QString::number(m.CrossRoads.Count())})));
    EXPECT_TRUE(title.contains(RowPattern({T("KmRange"), FormatKmPlus(true, m.Plan.Profiles.front().Position) +
                                                             QStringLiteral(" – ") +
                                                             FormatKmPlus(true, m.Plan.Profiles.back().Position)})));

    // Summary: segments, boundaries and the not-safe verdicts of the pivot table.
    int notSafe[2] = {0, 0};
    for (const tPivotRow& row : m.Pivot.Rows) {
        notSafe[0] += row.ResumeFwd == VerdictNotSafe;
        notSafe[1] += row.ResumeRev == VerdictNotSafe;
    }
    ASSERT_GT(notSafe[0] + notSafe[1], 0);
    const int boundaries = m.Pivot.Count() - 1;
    const QString summary = Section(pages, T("Summary"));
    EXPECT_TRUE(summary.contains(RowPattern({T("Segments"), QString::number(m.Pivot.Count())})));
    EXPECT_TRUE(summary.contains(RowPattern({T("Boundaries"), QString::number(boundaries)})));
    const char* keys[2] = {"NotSafeFwd", "NotSafeRev"};
    for (int d = 0; d < 2; ++d) {
        QString share = QString::number(100.0 * notSafe[d] / boundaries, 'f', 1);
        share.replace(QLatin1Char('.'), GetParam().Decimal);
        EXPECT_TRUE(summary.contains(
            RowPattern({T(keys[d]), QString::number(notSafe[d]) + QStringLiteral(" (") + share + QStringLiteral(" %)")})))
            << d;
    }

    // Not-safe boundaries: one row per not-safe verdict, as the pivot table writes it.
    const tGridSource source = Source(m);
    auto cell = [&](int row, int col) { return CellText(tGridId::PivotData, source, row, col); };
    const QString table = Section(pages, T("NotSafeTable"));
    int expected = 0;
    for (int i = 0; i < m.Pivot.Count(); ++i) {
        const tPivotRow& row = m.Pivot.Rows[size_t(i)];
        const int r = i + 1;
        if (row.ResumeFwd == VerdictNotSafe) {
            ++expected;
            EXPECT_TRUE(table.contains(RowPattern({cell(r, 1), T("DirFwd"), cell(r - 1, 4), cell(r, 4), cell(r, 6),
                                                   cell(r, 7), cell(r, 5)})))
                << cell(r, 1).toStdString();
        }
        if (row.ResumeRev == VerdictNotSafe) {
            ++expected;
            EXPECT_TRUE(table.contains(RowPattern({cell(r, 2), T("DirRev"), cell(r + 1, 9), cell(r, 9), cell(r, 11),
                                                   cell(r, 12), cell(r, 10)})))
                << cell(r, 2).toStdString();
        }
    }
    const QRegularExpression kmRow(QStringLiteral("^\\s*\\d+\\+\\d{3}[.,]\\d{2}\\s"), QRegularExpression::MultilineOption);
    EXPECT_EQ(table.count(kmRow), expected);

    // Crossroads list: every entry with its km+ and mark.
    const tCrossRoadsListTable list = BuildCrossRoadsList(m.CrossRoads, lookup_);
    const QString crossroads = Section(pages, T("CrossRoadsList"));
    ASSERT_EQ(list.Rows.size(), size_t(m.CrossRoads.Count()) + 1);
    int marked = 0;
    for (size_t i = 1; i < list.Rows.size(); ++i) {
        EXPECT_TRUE(crossroads.contains(
            RowPattern({QString::number(i), list.Rows[i][0], list.Rows[i][1].trimmed(), list.Rows[i][2]})))
            << list.Rows[i][1].toStdString();
        marked += !list.Rows[i][2].isEmpty();
    }
    EXPECT_GT(marked, 0);

    // Appendix: every pivot row with its number, km+ range, category and speeds.
    const QString appendix = Section(pages, T("Appendix"));
    for (int r = 1; r <= m.Pivot.Count(); ++r)
        EXPECT_TRUE(appendix.contains(RowPattern({cell(r, 0), cell(r, 1), cell(r, 2), cell(r, 3), cell(r, 4)}, false)))
            << r;
    EXPECT_EQ(appendix.count(grid_.NotSafe), notSafe[0] + notSafe[1]);
}

TEST_P(SafetyReportTest, EveryFontIsEmbedded) {
    tRoadModel model = ExampleRoad();
    const QString pdf = dir_.filePath(QStringLiteral("fonts.pdf"));
    ASSERT_TRUE(WriteSafetyReport(pdf, model, Options()).Ok);
    const QStringList lines = Tool(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 2) << "pdffonts found no font";
    for (int i = 2; i < lines.size(); ++i) {
        const QStringList cols = lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(cols.size(), 5);
        EXPECT_EQ(cols[cols.size() - 5], QStringLiteral("yes")) << lines[i].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, SafetyReportTest,
                         ::testing::Values(tLanguageCase{"English.lng", QStringLiteral(".")},
                                           tLanguageCase{"Ukrainian.lng", QStringLiteral(",")}));

TEST(SafetyReport, DiagramPagesCoverTheRoadInStretchesOfFixedLength) {
    struct tCase {
        double First, Last, PerPage;
        int Pages;
    };
    const tCase cases[] = {{0, 6000, 2000, 3},  {0, 6001, 2000, 4}, {0, 10, 2000, 1},
                           {1500, 2500, 1000, 2}, {0, 6000, 500, 12}, {3999, 4000, 2000, 1}, {3999, 4001, 2000, 2}};
    for (const tCase& c : cases) {
        TMPlan plan;
        plan.Profiles.resize(2);
        plan.Profiles[0].Position = c.First;
        plan.Profiles[1].Position = c.Last;
        EXPECT_EQ(DiagramPageCount(plan, c.PerPage), c.Pages) << c.First << " " << c.Last << " " << c.PerPage;
    }
    EXPECT_EQ(DiagramPageCount(TMPlan{}, 2000), 0);
}

TEST(SafetyReport, LengthByCauseAddsUpToTheRoad) {
    const tReportFigures f = ReportFigures(ExampleRoad());
    for (int d = 0; d < 2; ++d) {
        double sum = 0;
        for (double len : f.CauseLength[d]) sum += len;
        EXPECT_NEAR(sum, f.Length, 1e-6);
    }
    EXPECT_LE(f.NotVisible.size() + f.Skipped.size(), qsizetype(f.CrossRoads));
}

// A folder in the target's place, or a file as the target's folder: one
// message naming the target, nothing left behind, nothing changed.
TEST(SafetyReport, UnwritableTargetLeavesEverythingAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("taken.pdf"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(WriteFile(folder + QStringLiteral("/inside.txt"), "keep"));
    const QString plainFile = dir.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(WriteFile(plainFile, "earlier"));
    for (const QString& target : {folder, plainFile + QStringLiteral("/report.pdf")}) {
        tRoadModel model = ExampleRoad();
        tReportOptions o;
        o.Lookup = [](const QString&, const QString& key) {
            return key == QStringLiteral("WriteError") ? QStringLiteral("cannot write %FileName%") : key;
        };
        const tReportResult r = WriteSafetyReport(target, model, o);
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.Error, QStringLiteral("cannot write ") + target);
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(ReadFile(folder + QStringLiteral("/inside.txt")), QByteArray("keep"));
    EXPECT_EQ(ReadFile(plainFile), QByteArray("earlier"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 2);
    EXPECT_EQ(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
}

TEST(SafetyReport, AnEarlierReportIsReplacedWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(WriteFile(target, QByteArray(100000, 'x')));
    tRoadModel model = ExampleRoad();
    const tReportResult r = WriteSafetyReport(target, model, tReportOptions{});
    ASSERT_TRUE(r.Ok);
    const QByteArray bytes = ReadFile(target);
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    EXPECT_FALSE(bytes.contains(QByteArray(1000, 'x')));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
    // The permissions of any new file there (the umask's), not a temporary file's.
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    ASSERT_TRUE(WriteFile(plain, "x"));
    EXPECT_EQ(QFileInfo(target).permissions(), QFileInfo(plain).permissions());
}

// kestrova-batch report: stretches per page, the views on request, refusals.
TEST(BatchReport, WritesTheAskedStretchesAndViews) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("batch.pdf"));
    const QStringList imports = {QStringLiteral("--road"), Examples(QStringLiteral("road.csv")),
                                 QStringLiteral("--crossroads"), Examples(QStringLiteral("crossroads.csv")),
                                 QStringLiteral("--greens"), Examples(QStringLiteral("greens.csv"))};
    const tBatchRun run = RunBatch(QStringLiteral("report"), imports + QStringList{QStringLiteral("--pdf"), pdf,
                                                                                   QStringLiteral("--km-per-page"),
                                                                                   QStringLiteral("1.5"),
                                                                                   QStringLiteral("--views")});
    ASSERT_EQ(run.Exit, 0) << run.Err.toStdString();
    const QStringList pages = PdfPages(pdf);
    QStringList stretches;
    int views = 0;
    for (const QString& page : pages) {
        const QString title = PageTitle(page);
        if (title.startsWith(QStringLiteral("Speed profile and plan"))) stretches << title.section(QStringLiteral("km+ "), 1);
        if (title.startsWith(QStringLiteral("Views at the not-safe boundary"))) ++views;
    }
    EXPECT_EQ(stretches, (QStringList{QStringLiteral("0+000 to 1+500"), QStringLiteral("1+500 to 3+000"),
                                      QStringLiteral("3+000 to 4+500"), QStringLiteral("4+500 to 6+000")}));
    int notSafe = 0;
    for (const tPivotRow& row : ExampleRoad().Pivot.Rows)
        notSafe += (row.ResumeFwd == VerdictNotSafe) + (row.ResumeRev == VerdictNotSafe);
    EXPECT_EQ(views, notSafe);
    EXPECT_TRUE(run.Out.contains(QString::number(pages.size()) + QStringLiteral(" pages")));
}

TEST(BatchReport, RefusesBadOptionsAndUnwritableTargets) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QStringList road = {QStringLiteral("--road"), Examples(QStringLiteral("road.csv"))};
    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    struct tCase {
        QStringList Args;
        int Exit;
    };
    const tCase cases[] = {
        {{QStringLiteral("--km-per-page"), QStringLiteral("0")}, 1},
        {{QStringLiteral("--km-per-page"), QStringLiteral("two")}, 1},
        {{QStringLiteral("--pages")}, 1},
    };
    for (const tCase& c : cases) {
        const tBatchRun run = RunBatch(QStringLiteral("report"), road + QStringList{QStringLiteral("--pdf"), pdf} + c.Args);
        EXPECT_EQ(run.Exit, c.Exit) << c.Args.join(' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf));
    }
    EXPECT_EQ(RunBatch(QStringLiteral("report"), road).Exit, 1);  // --pdf missing

    ASSERT_TRUE(QDir().mkpath(pdf));
    const tBatchRun run = RunBatch(QStringLiteral("report"), road + QStringList{QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("The report cannot be written to ") + pdf)) << run.Err.toStdString();
    EXPECT_TRUE(QFileInfo(pdf).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
}

}  // namespace
}  // namespace kestrova::test
