// Every bad file of tests/data/bad/ (and the large ones built here) goes
// through `kestrova-batch import --json-errors` in its own process: the process
// must end by itself, with exit code 2 and the one expected message, never by
// a signal. The expectations live in tests/data/bad/expected.tsv.
#include "robust_files.h"
#include "test_support.h"
#include "core/app/language_engine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova::test;

namespace {

struct tBadCase {
    QString File;          // name in tests/data/bad, or "@name" for one built here
    QString Option;        // road, crossroads, greens, crossroads-sheet N, greens-sheet N
    QString Key;           // "-" when the file must load
    QString Reason;
    QList<QPair<QString, QString>> Placeholders;
};

std::vector<tBadCase> LoadManifest() {
    std::vector<tBadCase> cases;
    const QString text = QString::fromUtf8(ReadFile(TestData("bad/expected.tsv")));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 3) {
            ADD_FAILURE() << "bad manifest line: " << line.toStdString();
            continue;
        }
        tBadCase c{f[0], f[1], f[2], f.value(3), {}};
        for (const QString& p : f.value(4).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const qsizetype eq = p.indexOf(QLatin1Char('='));
            c.Placeholders.append({p.left(eq), p.mid(eq + 1)});
        }
        cases.push_back(c);
    }
    return cases;
}

struct tRun {
    bool Finished = false;
    bool Crashed = false;
    int Exit = -1;
    QByteArray Out;
    QByteArray Err;
    qint64 Ms = 0;
};

tRun RunImport(const QStringList& args) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(BinDir() + QStringLiteral("/kestrova-batch"), QStringList{QStringLiteral("import")} + args +
                                                              QStringList{QStringLiteral("--json-errors")});
    tRun r;
    // Generous: the sanitizer build reads the 200,001-record table slowly.
    r.Finished = p.waitForFinished(600000);
    if (!r.Finished) {
        p.kill();
        p.waitForFinished();
    }
    r.Ms = t.elapsed();
    r.Crashed = p.exitStatus() != QProcess::NormalExit;
    r.Exit = p.exitCode();
    r.Out = p.readAllStandardOutput();
    r.Err = p.readAllStandardError();
    return r;
}

// Builds a "@" file of the manifest in dir; returns its path.
QString BuildGenerated(const QString& name, const QDir& dir) {
    const QString path = dir.filePath(name.mid(1));
    if (name == u"@records_200001.csv") {
        EXPECT_TRUE(WriteRoadCsv(path, 200001));
    } else if (name == u"@giant_cell.csv") {
        // A 1 MB "Position" in the second record.
        QByteArray bytes = RobustRoadHeader() + RobustRoadLine(0) + RobustRoadLine(1, QByteArray(1 << 20, '1')) +
                           RobustRoadLine(2) + RobustRoadLine(3);
        EXPECT_TRUE(WriteFile(path, bytes));
    } else if (name == u"@giant_line.csv") {
        // A second record longer than any line the reader takes (16 MB).
        QByteArray bytes = RobustRoadHeader() + RobustRoadLine(0) + QByteArray(17 << 20, '7') + "\r\n" +
                           RobustRoadLine(2) + RobustRoadLine(3);
        EXPECT_TRUE(WriteFile(path, bytes));
    } else if (name == u"@zip_bomb.xlsx") {
        // 3 GB of sheet XML, announced honestly.
        EXPECT_TRUE(WriteFile(path, XlsxBomb(3LL << 30, -1)));
    } else if (name == u"@zip_bomb_small_size.xlsx") {
        // 2 GB of sheet XML whose headers claim 4 KB.
        EXPECT_TRUE(WriteFile(path, XlsxBomb(2LL << 30, 4096)));
    } else if (name == u"@zip_bomb_400mb.xlsx") {
        // 400 MB of sheet XML, announced honestly: within the size limit, but
        // packed far tighter than any sheet.
        EXPECT_TRUE(WriteFile(path, XlsxBomb(400LL << 20, -1)));
    } else if (name == u"@folder.csv") {
        EXPECT_TRUE(dir.mkpath(name.mid(1)));
    } else if (name == u"@missing.csv") {
        // nothing: the file does not exist
    } else {
        ADD_FAILURE() << "unknown generated file " << name.toStdString();
    }
    return path;
}

QStringList ArgsFor(const tBadCase& c, const QString& path) {
    const QString road = TestData(QStringLiteral("bad/valid_road.csv"));
    const QStringList opt = c.Option.split(QLatin1Char(' '));
    if (opt[0] == u"road") return {QStringLiteral("--road"), path};
    if (opt[0] == u"crossroads") return {QStringLiteral("--road"), road, QStringLiteral("--crossroads"), path};
    if (opt[0] == u"greens") return {QStringLiteral("--road"), road, QStringLiteral("--greens"), path};
    if (opt[0] == u"crossroads-sheet" || opt[0] == u"greens-sheet")
        return {QStringLiteral("--road"), path, QStringLiteral("--") + opt[0], opt.value(1)};
    ADD_FAILURE() << "unknown table option " << c.Option.toStdString();
    return {};
}

class BadFileTest : public ::testing::TestWithParam<tBadCase> {};

TEST_P(BadFileTest, OneClearMessageNeverACrash) {
    const tBadCase& c = GetParam();
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const bool generated = c.File.startsWith(QLatin1Char('@'));
    if (generated && c.File == u"@records_200001.csv" && SanitizeBuild())
        GTEST_SKIP() << "the 200,001-record table is too slow under the sanitizers";
    const QString path = generated ? BuildGenerated(c.File, QDir(tmp.path())) : TestData(QStringLiteral("bad/") + c.File);
    const tRun r = RunImport(ArgsFor(c, path));
    ASSERT_TRUE(r.Finished) << "still running after " << r.Ms << " ms";
    ASSERT_FALSE(r.Crashed) << "killed by a signal; stderr: " << r.Err.toStdString();
    if (c.Key == u"-") {
        EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
        EXPECT_TRUE(r.Out.startsWith("profiles ")) << r.Out.toStdString();
        return;
    }
    EXPECT_EQ(r.Exit, 2) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.isEmpty()) << r.Out.toStdString();
    // One message: exactly one JSON line.
    EXPECT_EQ(r.Err.count('\n'), 1) << r.Err.toStdString();
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.Err, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.Err.toStdString();
    EXPECT_EQ(o.value(QStringLiteral("key")).toString(), c.Key);
    if (c.Reason.isEmpty()) {
        EXPECT_TRUE(o.value(QStringLiteral("reason")).isNull()) << r.Err.toStdString();
    } else {
        EXPECT_EQ(o.value(QStringLiteral("reason")).toString(), c.Reason);
    }
    const QJsonObject placeholders = o.value(QStringLiteral("placeholders")).toObject();
    EXPECT_EQ(placeholders.value(QStringLiteral("%FileName%")).toString(), QFileInfo(path).filePath());
    for (const auto& [name, value] : c.Placeholders)
        EXPECT_EQ(placeholders.value(name).toString(), value) << name.toStdString();
}

std::string CaseName(const ::testing::TestParamInfo<tBadCase>& info) {
    std::string n = info.param.File.toStdString() + "_" + info.param.Option.toStdString();
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Corpus, BadFileTest, ::testing::ValuesIn(LoadManifest()), CaseName);

TEST(BadFileCorpus, EveryFileOfTheFolderIsInTheManifest) {
    QStringList listed;
    for (const auto& c : LoadManifest()) listed << c.File;
    const QStringList files = QDir(TestData(QStringLiteral("bad"))).entryList(QDir::Files);
    for (const QString& f : files) {
        if (f == u"expected.tsv") continue;
        EXPECT_TRUE(listed.contains(f)) << f.toStdString() << " has no expectation";
    }
    for (const auto& c : LoadManifest())
        if (!c.File.startsWith(QLatin1Char('@'))) {
            EXPECT_TRUE(files.contains(c.File)) << c.File.toStdString();
        }
}

// Each message the corpus expects has a text in every shipped language, so
// the user reads a sentence and not a key.
TEST(BadFileCorpus, EveryExpectedMessageIsTranslated) {
    const QStringList languages = QDir(SourceDir() + QStringLiteral("/lang")).entryList({QStringLiteral("*.lng")});
    ASSERT_FALSE(languages.isEmpty());
    for (const QString& file : languages) {
        kestrova::TLanguageEngine engine(kestrova::kLanguageSignatureValue, kestrova::kLanguageSignatureSection,
                                         kestrova::kLanguageSignatureKey, kestrova::kLanguageMessageSection);
        ASSERT_TRUE(engine.LoadLanguage(SourceDir() + QStringLiteral("/lang/") + file)) << file.toStdString();
        for (const auto& c : LoadManifest())
            for (const QString& key : {c.Key, c.Reason}) {
                if (key.isEmpty() || key == u"-") continue;
                EXPECT_NE(engine.GetMessage(key), key) << file.toStdString() << ": " << key.toStdString();
            }
    }
}

}  // namespace
