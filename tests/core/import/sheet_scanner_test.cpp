// .xlsx sheet parts are read by a scanner made for their usual shape and,
// in any other shape, by the XML reader: the same sheet in either shape gives
// the same cells, and a malformed part fails in either.
#include "core/import/excel_tables.h"

#include "import_tables.h"
#include "zip_parts.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

struct tShape {
    const char* Name;
    QByteArray Sheet;  // the whole sheet part
};

const QByteArray kNs = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

QByteArray Plain(const QByteArray& rows) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet " + kNs +
           " xmlns:r=\"urn:r\"><dimension ref=\"A1:C3\"/><sheetData>" + rows + "</sheetData></worksheet>";
}

const QByteArray kRows =
    "<row r=\"1\" spans=\"1:3\"><c r=\"A1\" t=\"inlineStr\"><is><t>Km</t></is></c><c r=\"B1\" s=\"1\"><v>0.1</v></c>"
    "<c r=\"C1\" t=\"b\"><v>1</v></c></row>"
    "<row r=\"3\"><c r=\"A3\"><v> 12.5 </v></c><c r=\"C3\" t=\"str\"><f>A3</f><v>x</v></c></row>";

class SheetShapes : public ::testing::TestWithParam<tShape> {};

TEST_P(SheetShapes, GiveTheCellsOfThePlainShape) {
    tTableFiles files;
    const QString path = files.Path("shape.xlsx");
    ASSERT_TRUE(WriteZip(path, {{"xl/workbook.xml", WorkbookXml({"S"})},
                                {"xl/_rels/workbook.xml.rels", WorkbookRels({"worksheets/sheet1.xml"}, false)},
                                {"xl/worksheets/sheet1.xml", GetParam().Sheet}}));
    TExcel book(path);
    ASSERT_TRUE(book.SelectSheet("S"));
    const std::vector<std::tuple<int, int, QString>> expected = {
        {1, 1, "Km"}, {1, 2, "0.1"}, {1, 3, "TRUE"}, {2, 1, ""}, {3, 1, "12.5"}, {3, 2, ""}, {3, 3, "x"}};
    for (const auto& [r, c, text] : expected) EXPECT_EQ(book.GetCell(r, c), text) << r << "," << c;
    EXPECT_EQ(book.LastError(), TExcel::NoError);
}

INSTANTIATE_TEST_SUITE_P(
    Xlsx, SheetShapes,
    ::testing::Values(
        tShape{"plain", Plain(kRows)},
        tShape{"no_declaration", "<worksheet " + kNs + "><sheetData>" + kRows + "</sheetData></worksheet>"},
        tShape{"single_quotes_blanks_and_self_closing",
               "<worksheet " + kNs + " ><sheetData\n><row r='1'><c r = 'A1' t='inlineStr' ><is><t>Km</t></is></c>"
               "<c r=\"B1\"><v>0.1</v></c><c r=\"C1\" t=\"b\"><v>1</v></c><c r=\"D1\"/></row><row r=\"3\"><c r=\"A3\">"
               "<v> 12.5 </v></c><c r=\"C3\" t=\"str\"><v>x</v></c></row></sheetData></worksheet >"},
        // Shapes the scanner leaves to the XML reader.
        tShape{"comment", Plain("<!-- written by hand -->" + kRows)},
        tShape{"character_reference", Plain(QByteArray(kRows).replace("<v>0.1</v>", "<v>0&#46;1</v>"))},
        tShape{"cdata", Plain(QByteArray(kRows).replace("<v>x</v>", "<v><![CDATA[x]]></v>"))},
        tShape{"prefixed_elements",
               "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>" +
                   QByteArray(kRows).replace("<", "<x:").replace("<x:/", "</x:") + "</x:sheetData></x:worksheet>"},
        tShape{"crlf_and_letters", Plain(QByteArray(kRows).replace("<f>A3</f>", "<f>\"\xC3\xA9\"\r\n</f>"))},
        tShape{"processing_instruction", Plain("<?note here?>" + kRows)}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(SheetScanner, MalformedPartsFailInEveryShape) {
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"end tag mismatch", Plain("<row r=\"1\"><c r=\"A1\"><v>1</v></row></c>")},
        {"attribute without quotes", Plain("<row r=1><c r=\"A1\"><v>1</v></c></row>")},
        {"attributes run together", Plain("<row r=\"1\"><c r=\"A1\"t=\"n\"><v>1</v></c></row>")},
        {"duplicate attribute", Plain("<row r=\"1\" r=\"1\"><c r=\"A1\"><v>1</v></c></row>")},
        {"undeclared prefix", Plain("<row r=\"1\" q:x=\"1\"><c r=\"A1\"><v>1</v></c></row>")},
        {"second root", Plain("<row r=\"1\"/>") + "<worksheet/>"},
        {"text after the root", Plain("<row r=\"1\"/>") + "x"},
        {"unclosed", "<worksheet " + kNs + "><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"},
        {"declaration not first", "\n" + Plain("<row r=\"1\"/>")},
        {"less-than in a value", Plain("<row r=\"1\"><c r=\"A<1\"><v>1</v></c></row>")},
        {"control character", Plain("<row r=\"1\"><c r=\"A1\"><v>1\x01</v></c></row>")},
        {"rows out of order", Plain("<row r=\"2\"/><row r=\"1\"/>")},
    };
    tTableFiles files;
    for (const auto& [name, sheet] : cases) {
        const QString path = files.Path("bad.xlsx");
        ASSERT_TRUE(WriteZip(path, {{"xl/workbook.xml", WorkbookXml({"S"})},
                                    {"xl/_rels/workbook.xml.rels", WorkbookRels({"worksheets/sheet1.xml"}, false)},
                                    {"xl/worksheets/sheet1.xml", sheet}}));
        TExcel book(path);
        EXPECT_FALSE(book.SelectSheet("S")) << name;
    }
}

}  // namespace
