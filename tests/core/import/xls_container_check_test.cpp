// The container check in front of libfreexl: sound workbooks pass and load as
// before; a directory entry whose name length runs past its field (which makes
// the library read beyond its buffer) is refused, and the import reports the
// file as an unreadable workbook.
#include "core/import/road_import.h"
#include "core/import/workbook_data.h"
#include "core/import/xls_container_check.h"

#include "import_tables.h"

#include <QBuffer>
#include <functional>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

quint16 Get16(const QByteArray& b, qsizetype at) { return quint16(uchar(b.at(at)) | uchar(b.at(at + 1)) << 8); }
quint32 Get32(const QByteArray& b, qsizetype at) { return Get16(b, at) | quint32(Get16(b, at + 2)) << 16; }

void Put16(QByteArray& b, qsizetype at, quint16 v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}
void Put32(QByteArray& b, qsizetype at, quint32 v) {
    Put16(b, at, quint16(v & 0xFFFF));
    Put16(b, at + 2, quint16(v >> 16));
}

qsizetype DirectoryOffset(const QByteArray& xls) {
    return qsizetype(Get32(xls, 0x30) + 1) << Get16(xls, 0x1E);
}

// road.xls with the name length of directory entry `entry` set to `length`.
QByteArray WithNameLength(QByteArray xls, int entry, quint16 length) {
    Put16(xls, DirectoryOffset(xls) + 128 * entry + 0x40, length);
    return xls;
}

// One BIFF record.
QByteArray Record(quint16 type, const QByteArray& payload) {
    QByteArray r(4, '\0');
    Put16(r, 0, type);
    Put16(r, 2, quint16(payload.size()));
    return r + payload;
}

QByteArray Bof8() {
    QByteArray p(16, '\0');
    Put16(p, 0, 0x0600);
    Put16(p, 2, 0x0010);
    return Record(0x0809, p);
}

QByteArray Dimension8(quint32 rows, quint16 cols) {
    QByteArray p(14, '\0');
    Put32(p, 4, rows);
    Put16(p, 10, cols);
    return Record(0x0200, p);
}

// A BIFF8 shared string of 8-bit characters, or of 16-bit ones with wide;
// rich adds that many formatting runs (4 bytes each) after the characters.
QByteArray SstString(const QByteArray& text, bool wide = false, quint16 rich = 0) {
    QByteArray s(3, '\0');
    Put16(s, 0, quint16(text.size()));
    s[2] = char((wide ? 1 : 0) | (rich ? 8 : 0));
    if (rich) {
        s += QByteArray(2, '\0');
        Put16(s, 3, rich);
    }
    for (char c : text) s += wide ? QByteArray(1, c) + QByteArray(1, '\0') : QByteArray(1, c);
    return s + QByteArray(4 * rich, '\x01');
}

// A string of two 8-bit characters with an extension block of `ext` bytes
// announced (none of it present).
QByteArray SstStringWithExtension(quint32 ext) {
    QByteArray s(7, '\0');
    Put16(s, 0, 2);
    s[2] = 4;
    Put32(s, 3, ext);
    return s + "ab";
}

// A BIFF8 LABEL record at A1 announcing `chars` 8-bit characters and holding `text`.
QByteArray Label(quint16 chars, const QByteArray& text) {
    QByteArray p(9, '\0');
    Put16(p, 6, chars);
    return Record(0x0204, p + text);
}

// A BIFF8 FORMAT record announcing `chars` 16-bit characters and holding `text` (UTF-16).
QByteArray Format(quint16 chars, const QByteArray& text) {
    QByteArray p(5, '\0');
    Put16(p, 0, 164);
    Put16(p, 2, chars);
    p[4] = 1;
    return Record(0x041E, p + text);
}

// A BIFF8 BOUNDSHEET record announcing `chars` 8-bit characters of its name and holding `name`.
QByteArray BoundSheet(quint8 chars, const QByteArray& name) {
    QByteArray p(8, '\0');
    p[6] = char(chars);
    return Record(0x0085, p + name);
}

QByteArray Sst(quint32 count, const QByteArray& strings) {
    QByteArray p(8, '\0');
    Put32(p, 0, count);
    Put32(p, 4, count);
    return Record(0x00FC, p + strings);
}

// A bare compound file: the directory in sector 0, the allocation table in
// sector 1, the data from sector 2 on as one chain. The data is the workbook
// stream, or with Mini the root entry's container whose start the library
// reads as the workbook stream.
struct tCompound {
    QByteArray Data;
    int Shift = 9;
    bool Mini = false;
    qint64 WorkbookSize = -1;  // -1: the data's length
    qint64 RootSize = -1;      // -1: the data's length
    bool Circle = false;       // the data's first sector is followed by itself
};

QByteArray Build(const tCompound& c) {
    const int ss = 1 << c.Shift;
    const int dataSectors = int((c.Data.size() + ss - 1) / ss);
    QByteArray b(ss * (3 + dataSectors), '\0');
    b.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
    Put16(b, 0x18, 0x3E);
    Put16(b, 0x1A, c.Shift == 12 ? 4 : 3);
    Put16(b, 0x1C, 0xFFFE);
    Put16(b, 0x1E, quint16(c.Shift));
    Put16(b, 0x20, 6);
    Put32(b, 0x2C, 1);
    Put32(b, 0x30, 0);
    Put32(b, 0x38, 4096);
    Put32(b, 0x3C, 0xFFFFFFFE);
    Put32(b, 0x40, c.Mini ? 1 : 0);  // the library heeds the cutoff only with a mini allocation table
    Put32(b, 0x44, 0xFFFFFFFE);
    for (int at = 0x4C; at < 512; at += 4) Put32(b, at, 0xFFFFFFFF);
    Put32(b, 0x4C, 1);
    auto sector = [ss](int n) { return ss * (n + 1); };
    auto entry = [&](int index, const QString& name, quint8 type, quint32 start, quint32 size) {
        const int at = sector(0) + 128 * index;
        for (int i = 0; i < name.size(); ++i) Put16(b, at + 2 * i, name[i].unicode());
        Put16(b, at + 0x40, quint16(2 * name.size() + 2));
        b[at + 0x42] = char(type);
        Put32(b, at + 0x74, start);
        Put32(b, at + 0x78, size);
    };
    const quint32 dataSize = quint32(c.Data.size());
    const quint32 workbookSize = c.WorkbookSize < 0 ? dataSize : quint32(c.WorkbookSize);
    const quint32 rootSize = c.RootSize < 0 ? dataSize : quint32(c.RootSize);
    entry(0, QStringLiteral("Root Entry"), 5, c.Mini ? 2 : 0xFFFFFFFE, c.Mini ? rootSize : 0);
    entry(1, QStringLiteral("Workbook"), 2, c.Mini ? 0 : 2, workbookSize);
    for (int i = 0; i < ss / 4; ++i) Put32(b, sector(1) + 4 * i, 0xFFFFFFFF);
    Put32(b, sector(1), 0xFFFFFFFE);
    Put32(b, sector(1) + 4, 0xFFFFFFFD);
    for (int i = 0; i < dataSectors; ++i)
        Put32(b, sector(1) + 4 * (2 + i), i + 1 < dataSectors ? quint32(3 + i) : 0xFFFFFFFE);
    if (c.Circle) Put32(b, sector(1) + 8, 2);
    b.replace(sector(2), c.Data.size(), c.Data);
    return b;
}

// A small workbook stream: a BOF, the given records, an EOF.
QByteArray Stream(const QByteArray& records) { return Bof8() + records + Record(0x000A, {}); }

// A workbook stream whose globals list one sheet for each body (its
// substream: BOF, body, EOF) and `unlisted` more sheets without a substream.
QByteArray Workbook(const std::vector<QByteArray>& bodies, int unlisted = 0) {
    const int sheets = int(bodies.size()) + unlisted;
    qsizetype at = Bof8().size() + sheets * BoundSheet(1, "s").size() + 4;
    QByteArray globals;
    QByteArray substreams;
    for (int i = 0; i < sheets; ++i) {
        QByteArray sheet = BoundSheet(1, "s");
        Put32(sheet, 4, i < int(bodies.size()) ? quint32(at + substreams.size()) : 0xFFFFFFF0);
        globals += sheet;
        if (i < int(bodies.size())) substreams += Stream(bodies[size_t(i)]);
    }
    return Stream(globals) + substreams;
}

// Pads a stream past the mini-stream cutoff with empty records of type 0,
// where the library stops reading.
QByteArray Regular(QByteArray stream) { return stream + QByteArray(4200, '\0'); }

// road.xls keeps its workbook stream in one run of sectors. Returns the file
// offset of the first record of `type` (any type for 0) at least `minLength`
// long after `from` (a file offset too).
qsizetype FindRecord(const QByteArray& xls, quint16 type, qsizetype from = 0, int minLength = 0) {
    const qsizetype dir = DirectoryOffset(xls);
    const quint32 start = Get32(xls, dir + 128 + 0x74);
    const quint32 size = Get32(xls, dir + 128 + 0x78);
    const qsizetype begin = qsizetype(start + 1) << Get16(xls, 0x1E);
    for (qsizetype at = begin; at + 4 <= begin + size;) {
        const quint16 t = Get16(xls, at);
        const quint16 n = Get16(xls, at + 2);
        if (at > from && (type == 0 || t == type) && n >= minLength) return at;
        at += 4 + n;
    }
    return -1;
}

// road.xls with its first sheet's DIMENSION record set to rows x cols.
QByteArray WithDimension(QByteArray xls, quint32 rows, quint16 cols) {
    const qsizetype at = FindRecord(xls, 0x0200);
    Put32(xls, at + 8, rows);
    Put16(xls, at + 14, cols);
    return xls;
}

// road.xls with the first record after its first sheet's DIMENSION that is
// long enough turned into a second DIMENSION of rows x cols.
QByteArray WithSecondDimension(QByteArray xls, quint32 rows, quint16 cols) {
    const qsizetype at = FindRecord(xls, 0, FindRecord(xls, 0x0200), 14);
    Put16(xls, at, 0x0200);
    Put32(xls, at + 8, rows);
    Put16(xls, at + 14, cols);
    return xls;
}

struct tCase {
    const char* Name;
    std::function<QByteArray(const QByteArray& road)> Bytes;
    tXlsContainerCheck Expected;
    bool Import = true;  // also run through the road import (whole workbooks only)
};

std::vector<tCase> Cases() {
    using C = tXlsContainerCheck;
    return {
        {"road_xls", [](const QByteArray& x) { return x; }, C::Sound},
        {"found_by_fuzzing", [](const QByteArray&) { return ReadFile(TestData("bad/xls_directory_name_overrun.xls")); },
         C::NameTooLong},
        {"root_name_64", [](const QByteArray& x) { return WithNameLength(x, 0, 64); }, C::Sound},
        {"root_name_65", [](const QByteArray& x) { return WithNameLength(x, 0, 65); }, C::NameTooLong},
        {"root_name_ffff", [](const QByteArray& x) { return WithNameLength(x, 0, 0xFFFF); }, C::NameTooLong},
        {"workbook_name_5000", [](const QByteArray& x) { return WithNameLength(x, 1, 5000); }, C::NameTooLong},
        {"last_entry_name_66", [](const QByteArray& x) { return WithNameLength(x, 3, 66); }, C::NameTooLong},
        {"unused_entry_name_0", [](const QByteArray& x) { return WithNameLength(x, 3, 0); }, C::Sound},
        {"directory_start_wraps_to_header",
         [](QByteArray x) {
             // 0xFFFFFFFF + 1 wraps to 0: the library takes the header (whose
             // DIFAT is all 0xFF bytes) for the directory.
             Put32(x, 0x30, 0xFFFFFFFF);
             return x;
         },
         C::NameTooLong},
        {"directory_beyond_end",
         [](QByteArray x) {
             Put32(x, 0x30, 1000);
             return x;
         },
         C::DirectoryMissing},
        {"cut_inside_directory", [](const QByteArray& x) { return x.left(DirectoryOffset(x) + 100); },
         C::DirectoryMissing},
        {"cut_inside_header", [](const QByteArray& x) { return x.left(300); }, C::NotCompoundFile},
        {"sector_shift_10",
         [](QByteArray x) {
             Put16(x, 0x1E, 10);
             return x;
         },
         C::NotCompoundFile},
        {"no_signature",
         [](QByteArray x) {
             x[7] = 'x';
             return x;
         },
         C::NotCompoundFile},
        {"empty", [](const QByteArray&) { return QByteArray(); }, C::NotCompoundFile},
        {"found_by_fuzzing_second_dimension",
         [](const QByteArray&) { return ReadFile(TestData("bad/xls_second_dimension_too_large.xls")); },
         C::DimensionTooLarge},
        {"dimension_65536_by_257", [](const QByteArray& x) { return WithDimension(x, 65536, 257); },
         C::DimensionTooLarge},
        {"dimension_65537_by_256", [](const QByteArray& x) { return WithDimension(x, 65537, 256); },
         C::DimensionTooLarge},
        // The largest sheet there is: passes (not imported, 16 million cells).
        {"dimension_65536_by_256", [](const QByteArray& x) { return WithDimension(x, 65536, 256); }, C::Sound,
         false},
        {"second_dimension_too_large", [](const QByteArray& x) { return WithSecondDimension(x, 0x01000000, 256); },
         C::DimensionTooLarge},
        // A second DIMENSION within the limit: the library loses the first
        // cell array.
        {"second_dimension_small", [](const QByteArray& x) { return WithSecondDimension(x, 7, 41); },
         C::DimensionRepeated},
        {"bare_regular_stream",
         [](const QByteArray&) { return Build({Regular(Stream(Dimension8(7, 41)))}); }, C::Sound, false},
        {"bare_regular_dimension_too_large",
         [](const QByteArray&) { return Build({Regular(Workbook({Dimension8(0x01000001, 1)}))}); },
         C::DimensionTooLarge, false},
        {"bare_sectors_4096",
         [](const QByteArray&) { return Build({Regular(Stream(Dimension8(7, 41))), 12}); }, C::Sound, false},
        {"bare_sectors_4096_dimension_too_large",
         [](const QByteArray&) { return Build({Regular(Workbook({Dimension8(70000, 256)})), 12}); },
         C::DimensionTooLarge, false},
        {"bare_sectors_4096_last_entry_name_66",
         [](const QByteArray&) {
             QByteArray b = Build({Regular(Stream(Dimension8(7, 41))), 12});
             Put16(b, 4096 + 128 * 31 + 0x40, 66);
             return b;
         },
         C::NameTooLong, false},
        {"bare_mini_stream",
         [](const QByteArray&) { return Build({Stream(Dimension8(7, 41)), 9, true}); }, C::Sound, false},
        {"bare_mini_stream_dimension_too_large",
         [](const QByteArray&) { return Build({Workbook({Dimension8(0x00FFFFFF, 2)}), 9, true}); },
         C::DimensionTooLarge, false},
        // The library copies the container (64 bytes here) and reads the
        // workbook's 600 bytes of records from that copy.
        {"bare_mini_stream_longer_than_container",
         [](const QByteArray&) {
             QByteArray data = Bof8();
             while (data.size() < 500) data += Record(0x0001, {});
             return Build({data, 9, true, 600, 64});
         },
         C::StreamPastContainer, false},
        // The library allocates the claimed sizes up front and loses them
        // when the chain then fails: 640 MB for a 1.5 KB file.
        {"root_entry_larger_than_the_file",
         [](const QByteArray& road) {
             QByteArray b = road;
             Put32(b, DirectoryOffset(b) + 0x78, 671088640);
             return b;
         },
         C::StreamPastContainer},
        {"workbook_larger_than_the_file",
         [](const QByteArray& road) {
             QByteArray b = road;
             Put32(b, DirectoryOffset(b) + 128 + 0x78, quint32(road.size()) * 4);
             return b;
         },
         C::StreamPastContainer},
        {"found_by_fuzzing_mini_stream_size",
         [](const QByteArray&) { return ReadFile(TestData("bad/xls_root_entry_640mb.xls")); }, C::StreamPastContainer},
        {"bare_chain_circles",
         [](const QByteArray&) {
             QByteArray data = Bof8();
             while (data.size() < 512) data += Record(0x0001, {});
             return Build({data + QByteArray(4096, '\0'), 9, false, 8192, -1, true});
         },
         // A chain can only run in a circle past the file's sectors when the
         // stream claims more bytes than the file has, and that is found first.
         C::StreamPastContainer, false},
        {"found_by_fuzzing_sst", [](const QByteArray&) { return ReadFile(TestData("bad/xls_sst_string_past_continue.xls")); },
         C::StringPastRecord},
        {"sst_whole_strings",
         [](const QByteArray&) { return Build({Regular(Stream(Sst(2, SstString("ab") + SstString("cd", true))))}); },
         C::Sound, false},
        {"sst_string_continued",
         [](const QByteArray&) {
             const QByteArray s = SstString("abcdefghij", true);
             return Build({Regular(Stream(Sst(1, s.left(3 + 8)) + Record(0x003C, "\x01" + s.mid(11))))});
         },
         C::Sound, false},
        {"sst_string_continued_past_continue",
         [](const QByteArray&) {
             const QByteArray s = SstString("abcdefghij", true);
             return Build({Regular(Stream(Sst(1, s.left(3 + 8)) + Record(0x003C, "\x01" + s.mid(11, 6))))});
         },
         C::StringPastRecord, false},
        // 8-bit characters: the library finds the short record itself.
        {"sst_narrow_string_continued_past_continue",
         [](const QByteArray&) {
             const QByteArray s = SstString("abcdefghij");
             return Build({Regular(Stream(Sst(1, s.left(3 + 4)) + Record(0x003C, QByteArray(1, '\0') + s.mid(7, 3))))});
         },
         C::Sound, false},
        {"sst_formatting_runs_spill_into_continue",
         [](const QByteArray&) {
             const QByteArray s = SstString("ab", false, 2);
             return Build({Regular(Stream(Sst(2, s.left(s.size() - 5)) + Record(0x003C, s.right(5) + SstString("cd"))))});
         },
         C::Sound, false},
        {"sst_string_header_past_record",
         [](const QByteArray&) { return Build({Regular(Stream(Sst(2, SstString("ab") + QByteArray(1, '\x05'))))}); },
         C::StringPastRecord, false},
        {"sst_extension_past_4_gb",
         [](const QByteArray&) {
             return Build({Regular(Stream(Sst(2, SstStringWithExtension(0xFFFFFFF0) + SstString("cd"))))});
         },
         C::StringPastRecord, false},
        // Its workbook stream also claims more bytes than the file has, which
        // is found first now.
        {"found_by_fuzzing_label", [](const QByteArray&) { return ReadFile(TestData("bad/xls_label_past_record.xls")); },
         C::StreamPastContainer},
        {"texts_fit",
         [](const QByteArray&) {
             return Build({Regular(Stream(BoundSheet(5, "Sheet") + Format(2, QByteArray("0\0%\0", 4)) + Label(2, "ab")))});
         },
         C::Sound, false},
        {"label_past_record", [](const QByteArray&) { return Build({Regular(Stream(Label(1000, "ab")))}); },
         C::StringPastRecord, false},
        {"format_past_record",
         [](const QByteArray&) { return Build({Regular(Stream(Format(5000, QByteArray("0\0", 2))))}); },
         C::StringPastRecord, false},
        {"sheet_name_past_record", [](const QByteArray&) { return Build({Regular(Stream(BoundSheet(9, "Sheet")))}); },
         C::StringPastRecord, false},
        // Three sheets of 65,536 rows by 80 columns: 15.7 million cells.
        {"cells_of_three_sheets",
         [](const QByteArray&) {
             const QByteArray d = Dimension8(65536, 80);
             return Build({Regular(Workbook({d, d, d}))});
         },
         C::Sound, false},
        {"cells_of_three_larger_sheets",
         [](const QByteArray&) {
             const QByteArray d = Dimension8(65536, 100);
             return Build({Regular(Workbook({d, d, d}))});
         },
         C::TooManyCells, false},
        {"dimension_twice",
         [](const QByteArray&) { return Build({Regular(Workbook({Dimension8(7, 41) + Dimension8(7, 41)}))}); },
         C::DimensionRepeated, false},
        // A DIMENSION outside any listed sheet is no concern of the library.
        {"dimension_outside_sheets",
         [](const QByteArray&) { return Build({Regular(Stream(Dimension8(0x01000001, 1)))}); }, C::Sound, false},
        // Sheets without a DIMENSION: the library allocates the active
        // sheet's cells again for each of them and loses the ones before.
        {"small_sheet_and_sheets_without_dimension",
         [](const QByteArray&) { return Build({Regular(Workbook({Dimension8(100, 20)}, 3))}); }, C::Sound,
         false},
        // No DIMENSION at all: the library sizes the sheet by its cells, here
        // up to row 65,535 and column 40, and allocates that again for each
        // further sheet.
        {"sheet_sized_by_its_cells",
         [](const QByteArray&) {
             QByteArray cell(14, '\0');
             Put16(cell, 0, 65535);
             Put16(cell, 2, 40);
             return Build({Regular(Workbook({Record(0x0203, cell)}, 2))});
         },
         C::TooManyCells, false},
        {"large_sheet_and_sheets_without_dimension",
         [](const QByteArray&) { return Build({Regular(Workbook({Dimension8(65536, 20)}, 3))}); },
         C::TooManyCells, false},
        {"bare_table_sector_missing",
         [](const QByteArray&) {
             QByteArray b = Build({Regular(Stream(Dimension8(7, 41)))});
             Put32(b, 0x50, 1000);
             return b;
         },
         C::ContainerBroken, false},
    };
}

TEST(XlsContainerCheck, JudgesEachContainer) {
    const QByteArray road = ReadFile(TestData("import/road.xls"));
    ASSERT_GT(road.size(), 4096);
    tTableFiles files;
    for (const tCase& c : Cases()) {
        const QByteArray bytes = c.Bytes(road);
        const QString path = files.Raw(QString::fromLatin1(c.Name) + ".xls", bytes);
        EXPECT_EQ(CheckXlsContainer(path), c.Expected) << c.Name;
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(CheckXlsContainer(buffer), c.Expected) << c.Name << " (in memory)";
    }
}

TEST(XlsContainerCheck, RefusedWorkbooksReportTheOpenError) {
    const QByteArray road = ReadFile(TestData("import/road.xls"));
    tTableFiles files;
    for (const tCase& c : Cases()) {
        if (!c.Import) continue;
        const QString path = files.Raw(QString::fromLatin1(c.Name) + ".xls", c.Bytes(road));
        tRoadModel model;
        const tImportResult r = ImportRoad(path, model);
        if (c.Expected == tXlsContainerCheck::Sound) {
            // Only the directory changed: the road reads as from the original.
            EXPECT_TRUE(r.Success) << c.Name << " " << r.Failure.Key.toStdString();
            EXPECT_GE(model.Plan.Count(), 3) << c.Name;
        } else {
            EXPECT_FALSE(r.Success) << c.Name;
            EXPECT_EQ(r.Failure.Key, "LoadData.ExcelOpenError") << c.Name;
            EXPECT_EQ(OpenXlsReader(path), nullptr) << c.Name;
        }
    }
}

TEST(XlsContainerCheck, SoundWorkbookOpensWithItsSheets) {
    const auto reader = OpenXlsReader(TestData("import/road.xls"));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->SheetNames().size(), 3);
}

}  // namespace
