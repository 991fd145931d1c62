// .ods (OpenDocument spreadsheet) reading: the zip container through libzip,
// content.xml streamed in chunks into QXmlStreamReader. All tables are read in
// one pass when the file is opened; repeated rows and columns are expanded
// only where they hold a value, so a table that repeats an empty cell a
// billion times stays small, and a value repeated beyond the sheet limits or
// the cell limit fails the read.
#include "core/import/workbook_data.h"
#include "core/import/zip_part.h"

#include <QFile>

#include <cstring>

namespace kestrova {

namespace {

constexpr qint64 kMaxCells = 32 * 1024 * 1024;
constexpr int kMaxTables = 4096;

const QString kTableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kOfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kTextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

// A repeat count: a whole number of at least 1; absent is 1, anything else fails.
bool RepeatCount(const QXmlStreamReader& xml, const QString& name, qint64& count) {
    count = 1;
    const QXmlStreamAttributes attrs = xml.attributes();
    const QStringView text = attrs.value(kTableNs, name);
    if (text.isEmpty()) return true;
    if (text.size() > 12) return false;
    qint64 v = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + (c.unicode() - u'0');
    }
    if (v < 1) return false;
    count = v;
    return true;
}

struct tTable {
    tSheetData Data;
    std::vector<QString> Texts;
};

// Reading state of content.xml: where the reader stands among tables, rows
// and cells, and the row being gathered.
class tContentReader {
public:
    tContentReader(QStringList& names, std::vector<tTable>& tables) : Names(names), Tables(tables) {}

    bool Token(QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        switch (t) {
        case QXmlStreamReader::StartElement: return Start(xml);
        case QXmlStreamReader::EndElement: return End(xml);
        case QXmlStreamReader::Characters:
            if (InCell && Annotation == 0 && ParagraphDepth > 0) {
                Text += xml.text();
                if (Text.size() > kMaxCellText) return false;
            }
            return true;
        default: return true;
        }
    }

private:
    bool Start(const QXmlStreamReader& xml) {
        const auto ns = xml.namespaceUri();
        const auto local = xml.name();
        if (ns == kTableNs && local == u"table") {
            if (TableDepth > 0 || int(Tables.size()) >= kMaxTables) return false;
            ++TableDepth;
            Names << xml.attributes().value(kTableNs, QStringLiteral("name")).toString();
            Table = &Tables.emplace_back();
            Row = 0;
        } else if (TableDepth > 0 && ns == kTableNs && local == u"table-row") {
            if (InRow || !RepeatCount(xml, QStringLiteral("number-rows-repeated"), RowRepeat)) return false;
            InRow = true;
            Col = 0;
        } else if (InRow && ns == kTableNs && (local == u"table-cell" || local == u"covered-table-cell")) {
            return StartCell(xml, local == u"table-cell");
        } else if (InCell && ns == kOfficeNs && local == u"annotation") {
            ++Annotation;
        } else if (InCell && Annotation == 0 && ns == kTextNs) {
            return TextElement(xml, local);
        }
        return true;
    }

    // A cell, covered or not: its repeat, value type and value.
    bool StartCell(const QXmlStreamReader& xml, bool plain) {
        if (InCell || !RepeatCount(xml, QStringLiteral("number-columns-repeated"), ColRepeat)) return false;
        InCell = true;
        Text.resize(0);
        Value.resize(0);
        ValueType.resize(0);
        Paragraphs = ParagraphDepth = Annotation = 0;
        if (!plain) {
            ValueType = QStringLiteral("covered");
            return true;
        }
        const auto attrs = xml.attributes();
        ValueType = attrs.value(kOfficeNs, QStringLiteral("value-type")).toString();
        if (ValueType == u"boolean")
            Value = attrs.value(kOfficeNs, QStringLiteral("boolean-value")).toString();
        else if (ValueType == u"date")
            Value = attrs.value(kOfficeNs, QStringLiteral("date-value")).toString();
        else if (ValueType == u"time")
            Value = attrs.value(kOfficeNs, QStringLiteral("time-value")).toString();
        else
            Value = attrs.value(kOfficeNs, QStringLiteral("value")).toString();
        return true;
    }

    // A text element in a cell: paragraphs part by line breaks, spaces, tabs
    // and line breaks as written.
    bool TextElement(const QXmlStreamReader& xml, QStringView local) {
        if (local == u"p" || local == u"h") {
            if (ParagraphDepth == 0 && Paragraphs++ > 0) Text += QLatin1Char('\n');
            ++ParagraphDepth;
        } else if (ParagraphDepth > 0 && local == u"s") {
            const QXmlStreamAttributes attrs = xml.attributes();
            const QStringView c = attrs.value(kTextNs, QStringLiteral("c"));
            bool good = true;
            const int n = c.isEmpty() ? 1 : c.toInt(&good);
            if (!good || n < 0 || n > kMaxCellText) return false;
            Text += QString(n, QLatin1Char(' '));
        } else if (ParagraphDepth > 0 && local == u"tab") {
            Text += QLatin1Char('\t');
        } else if (ParagraphDepth > 0 && local == u"line-break") {
            Text += QLatin1Char('\n');
        }
        return Text.size() <= kMaxCellText;
    }

    bool End(const QXmlStreamReader& xml) {
        const auto ns = xml.namespaceUri();
        const auto local = xml.name();
        if (ns == kTableNs && local == u"table" && TableDepth > 0) {
            --TableDepth;
            Table = nullptr;
        } else if (InRow && ns == kTableNs && local == u"table-row") {
            InRow = false;
            return EndRow();
        } else if (InCell && ns == kTableNs && (local == u"table-cell" || local == u"covered-table-cell")) {
            InCell = false;
            return EndCell();
        } else if (InCell && ns == kOfficeNs && local == u"annotation") {
            --Annotation;
        } else if (InCell && Annotation == 0 && ns == kTextNs && (local == u"p" || local == u"h") && ParagraphDepth > 0) {
            --ParagraphDepth;
        }
        return true;
    }

    // The finished cell's value or text; empty cells only move on, however many.
    bool EndCell() {
        tSheetCell cell;
        QString cellText;
        bool hasText = false;
        if (ValueType == u"float" || ValueType == u"percentage" || ValueType == u"currency") {
            double v = 0;
            if (PlainNumber(Value, v)) {  // office:value is written in the C locale
                cell.Kind = tCellKind::Number;
                cell.Number = v;
            } else if (!Text.isEmpty()) {
                cellText = Text;
                hasText = true;
            }
        } else if (ValueType == u"boolean") {
            cellText = Value == u"true" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            hasText = true;
        } else if ((ValueType == u"date" || ValueType == u"time") && !Value.isEmpty()) {
            cellText = Value;
            hasText = true;
        } else if (!Text.isEmpty()) {
            cellText = Text;
            hasText = true;
        }
        if (cell.Kind == tCellKind::Empty && !hasText) {
            Col += ColRepeat;
            return true;
        }
        if (Col + ColRepeat > kMaxSheetCols) return false;
        if (hasText) {
            cell.Kind = tCellKind::Text;
            cell.Text = int32_t(RowTexts.size());
            RowTexts.push_back(cellText);
        }
        for (qint64 k = 0; k < ColRepeat; ++k) {
            cell.Col = uint16_t(Col + k + 1);
            RowCells.push_back(cell);
        }
        Col += ColRepeat;
        return true;
    }

    // The finished row into the table, as often as it repeats.
    bool EndRow() {
        if (!RowCells.empty()) {
            if (Row + RowRepeat > kMaxSheetRows) return false;
            CellCount += qint64(RowCells.size()) * RowRepeat;
            if (CellCount > kMaxCells) return false;
            // The row's texts go into the table's pool once; repeats share them.
            const int32_t base = int32_t(Table->Texts.size());
            for (auto& c : RowCells)
                if (c.Kind == tCellKind::Text) c.Text += base;
            Table->Texts.insert(Table->Texts.end(), RowTexts.begin(), RowTexts.end());
            for (qint64 r = 1; r <= RowRepeat; ++r) Table->Data.Rows.push_back(tSheetRow{int32_t(Row + r), RowCells});
        }
        Row += RowRepeat;
        RowCells.clear();
        RowTexts.clear();
        return true;
    }

    QStringList& Names;
    std::vector<tTable>& Tables;
    tTable* Table = nullptr;
    int TableDepth = 0;      // tables open (a table inside a cell fails the read)
    bool InRow = false;
    qint64 Row = 0;          // last row number used in the current table
    qint64 RowRepeat = 1;
    qint64 Col = 0;          // last column number used in the current row
    std::vector<tSheetCell> RowCells;
    std::vector<QString> RowTexts;
    bool InCell = false;
    qint64 ColRepeat = 1;
    QString ValueType, Value;
    QString Text;
    int Paragraphs = 0;      // text:p seen in the cell
    int ParagraphDepth = 0;  // inside a text:p
    int Annotation = 0;      // inside office:annotation (a comment, not the cell's text)
    qint64 CellCount = 0;
};

class tOdsReader final : public tWorkbookReader {
public:
    bool Open(const QString& fileName);
    QStringList SheetNames() const override { return Names; }
    bool ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) override;

private:
    QStringList Names;
    std::vector<tTable> Tables;
};

bool tOdsReader::Open(const QString& fileName) {
    int err = 0;
    const QByteArray name = QFile::encodeName(fileName);
    std::unique_ptr<zip_t, tZipCloser> zip(zip_open(name.constData(), ZIP_RDONLY, &err));
    if (!zip) return false;
    tContentReader content(Names, Tables);
    return ParsePart(zip.get(), QStringLiteral("content.xml"),
                     [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) { return content.Token(xml, t); });
}

bool tOdsReader::ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) {
    if (index < 0 || size_t(index) >= Tables.size()) return false;
    tTable& table = Tables[size_t(index)];
    const int32_t base = int32_t(texts.size());
    sheet.Rows = std::move(table.Data.Rows);
    for (auto& r : sheet.Rows)
        for (auto& c : r.Cells)
            if (c.Kind == tCellKind::Text) c.Text += base;
    texts.insert(texts.end(), std::make_move_iterator(table.Texts.begin()), std::make_move_iterator(table.Texts.end()));
    table = tTable();
    return true;
}

}  // namespace

std::unique_ptr<tWorkbookReader> OpenOdsReader(const QString& fileName) {
    auto reader = std::make_unique<tOdsReader>();
    if (!reader->Open(fileName)) return nullptr;
    return reader;
}

}  // namespace kestrova
