#include "core/import/source_reader.h"

#include "import_tables.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

struct tCellRead {
    QString Text;
    bool EndOfRow;
};

// Reads cells of the current row until the end-of-row flag (at most limit cells).
std::vector<tCellRead> ReadRow(tFileRec& rec, int limit = 20) {
    std::vector<tCellRead> cells;
    QString text;
    bool eor = false;
    for (int i = 0; i < limit; ++i) {
        if (!ReadCell(rec, text, eor)) break;
        cells.push_back({text, eor});
        if (eor) break;
    }
    return cells;
}

class CsvReaderTest : public ::testing::Test {
protected:
    bool Open(const QByteArray& bytes, const QString& name = "t.csv") {
        path = files.Raw(name, bytes);
        return OpenSource(path, rec, 1, failure);
    }
    tTableFiles files;
    QString path;
    tFileRec rec;
    tImportFailure failure;
};

TEST_F(CsvReaderTest, SplitsQuotedAndDoubledQuotes) {
    ASSERT_TRUE(Open("\"a;b\";\"x\"\"y\";plain;\r\n"));
    auto cells = ReadRow(rec);
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].Text, "a;b");
    EXPECT_EQ(cells[1].Text, "x\"y");
    EXPECT_EQ(cells[2].Text, "plain");
    EXPECT_FALSE(cells[2].EndOfRow);
    // The line ends in ";": the empty last cell comes with the end-of-row flag.
    EXPECT_EQ(cells[3].Text, "");
    EXPECT_TRUE(cells[3].EndOfRow);
}

TEST_F(CsvReaderTest, QuotedCellRunsOverLineBreakWithoutCountingRows) {
    ASSERT_TRUE(Open("\"first\nsecond\";z\nnext\n"));
    int counter = 1;
    auto cells = ReadRow(rec);
    ASSERT_GE(cells.size(), 2u);
    EXPECT_EQ(cells[0].Text, "first second");
    EXPECT_EQ(cells[1].Text, "z");
    ASSERT_TRUE(NextRow(rec, counter));
    EXPECT_EQ(counter, 2);
    EXPECT_EQ(ReadRow(rec)[0].Text, "next");
    EXPECT_FALSE(NextRow(rec, counter));
    EXPECT_EQ(counter, 2);
}

// Files from other programs end their lines in LF, CR LF or (old Mac text)
// a lone CR: every style reads as the same rows, a quoted line break too.
TEST_F(CsvReaderTest, EveryLineEndStyleGivesTheSameRows) {
    for (const char* end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(QByteArray(end).toHex().toStdString());
        const QByteArray e(end);
        ASSERT_TRUE(Open("a;b" + e + "\"x" + e + "y\";2" + e + e + "last", QString("t%1.csv").arg(e.size() + e.count('\r'))));
        int counter = 1;
        auto cells = ReadRow(rec);
        ASSERT_GE(cells.size(), 2u);
        EXPECT_EQ(cells[0].Text, "a");
        EXPECT_EQ(cells[1].Text, "b");
        ASSERT_TRUE(NextRow(rec, counter));
        cells = ReadRow(rec);
        ASSERT_GE(cells.size(), 2u);
        EXPECT_EQ(cells[0].Text, "x y");
        EXPECT_EQ(cells[1].Text, "2");
        ASSERT_TRUE(NextRow(rec, counter));
        EXPECT_EQ(ReadRow(rec)[0].Text, "");  // the empty line
        ASSERT_TRUE(NextRow(rec, counter));
        EXPECT_EQ(ReadRow(rec)[0].Text, "last");
        EXPECT_FALSE(NextRow(rec, counter));
        CloseSource(rec, false);
    }
}

TEST_F(CsvReaderTest, UnterminatedQuoteFailsAtEndOfFile) {
    ASSERT_TRUE(Open("\"never closed\nstill open\n"));
    QString text;
    bool eor = false;
    EXPECT_FALSE(ReadCell(rec, text, eor));
}

TEST_F(CsvReaderTest, ReadingPastTheLastCellGivesEmptyEndOfRow) {
    ASSERT_TRUE(Open("a;b\n"));
    auto cells = ReadRow(rec);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[1].Text, "b");
    EXPECT_FALSE(cells[1].EndOfRow);
    EXPECT_TRUE(cells[2].EndOfRow);
    QString text;
    bool eor = false;
    ASSERT_TRUE(ReadCell(rec, text, eor));
    EXPECT_TRUE(eor);
    EXPECT_TRUE(text.isEmpty());
}

TEST_F(CsvReaderTest, OverlongCellFailsTheRead) {
    QByteArray big(1024 * 1024, 'x');
    ASSERT_TRUE(Open("a;" + big + ";c\n"));
    QString text;
    bool eor = false;
    ASSERT_TRUE(ReadCell(rec, text, eor));
    EXPECT_FALSE(ReadCell(rec, text, eor));
}

TEST_F(CsvReaderTest, QuotedCellOverManyLinesIsCapped) {
    // Blank lines inside an open quote add one blank each; the cap stops it.
    QByteArray bytes = "\"";
    bytes += QByteArray(kMaxCsvCellChars + 10, '\n');
    ASSERT_TRUE(Open(bytes));
    QString text;
    bool eor = false;
    EXPECT_FALSE(ReadCell(rec, text, eor));
}

TEST_F(CsvReaderTest, Utf8WithByteOrderMark) {
    ASSERT_TRUE(Open("\xEF\xBB\xBF\xD0\xA2\xD0\x90\xD0\x9A;x\n"));
    auto cells = ReadRow(rec);
    EXPECT_EQ(cells[0].Text, QString::fromUtf8("ТАК"));
}

TEST_F(CsvReaderTest, Windows1251WhenNotUtf8) {
    // "ТАК" in Windows-1251.
    ASSERT_TRUE(Open("\xD2\xC0\xCA;x\n"));
    EXPECT_EQ(ReadRow(rec)[0].Text, QString::fromUtf8("ТАК"));
}

TEST_F(CsvReaderTest, MixedEncodingsReadAsWindows1251Throughout) {
    // The second line is UTF-8, the third Windows-1251: the file is not valid
    // UTF-8, so every line reads as Windows-1251 alike.
    ASSERT_TRUE(Open("h\n\xD0\xA2\n\xD2\n"));
    int counter = 1;
    ASSERT_TRUE(NextRow(rec, counter));
    EXPECT_EQ(ReadRow(rec)[0].Text, QString::fromUtf8("Рў"));
    ASSERT_TRUE(NextRow(rec, counter));
    EXPECT_EQ(ReadRow(rec)[0].Text, QString::fromUtf8("Т"));
}

TEST_F(CsvReaderTest, ExtensionDecidesTheKind) {
    ASSERT_TRUE(Open("a;b\n", "upper.CsV"));
    EXPECT_FALSE(rec.IsWorkbook);
    tFileRec other;
    tImportFailure f;
    const QString txt = files.Raw("table.txt", "a;b\n");
    EXPECT_FALSE(OpenSource(txt, other, 1, f));
    EXPECT_EQ(f.Key, "LoadData.ExcelOpenError");
}

TEST_F(CsvReaderTest, QuotedFileNameIsOpenedWithoutQuotes) {
    const QString p = files.Raw("q.csv", "a\n");
    ASSERT_TRUE(OpenSource("  \"" + p + "\" ", rec, 1, failure));
    EXPECT_EQ(failure.Placeholder("%FileName%"), p);
}

TEST_F(CsvReaderTest, MissingFile) {
    EXPECT_FALSE(OpenSource(files.Path("none.csv"), rec, 1, failure));
    EXPECT_EQ(failure.Key, "LoadData.FileNotFound");
    tImportFailure f2;
    EXPECT_FALSE(OpenSource("   ", rec, 1, f2));
    EXPECT_EQ(f2.Key, "LoadData.FileNotFound");
}

TEST_F(CsvReaderTest, HeaderRowAtRow1000IsFoundAt1001Not) {
    for (int headerRow : {1000, 1001}) {
        QByteArray bytes;
        for (int i = 1; i < headerRow; ++i) bytes += "note\n";
        bytes += "RecordNumber;x\n";
        tFileRec r;
        tImportFailure f;
        ASSERT_TRUE(OpenSource(files.Raw("h.csv", bytes), r, 1, f));
        int counter = 0;
        const bool found = FindHeaderRow(r, counter, "RecordNumber", f);
        EXPECT_EQ(found, headerRow == 1000) << headerRow;
        if (found) EXPECT_EQ(counter, 1000);
        else EXPECT_EQ(f.Key, "LoadData.NoHeaders");
    }
}

TEST_F(CsvReaderTest, HeaderMatchFoldsAsciiCaseAndBlanks) {
    ASSERT_TRUE(Open("x\n  recordnumber ;a\n"));
    int counter = 0;
    ASSERT_TRUE(FindHeaderRow(rec, counter, "RecordNumber", failure));
    EXPECT_EQ(counter, 2);
}

TEST(CellAddressTest, LettersAndRow) {
    EXPECT_EQ(CellAddress(3, 15), "C15");
    EXPECT_EQ(CellAddress(28, 7), "AB7");
}

TEST(HeaderKeyTest, OnlyAsciiLettersAreFolded) {
    EXPECT_EQ(HeaderKey(" cars "), "CARS");
    EXPECT_EQ(HeaderKey(QString::fromUtf8("так")), QString::fromUtf8("так"));
}

}  // namespace
