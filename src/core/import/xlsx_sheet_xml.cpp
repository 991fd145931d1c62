// The XML reader of .xlsx sheet parts: QXmlStreamReader fed in chunks, for
// the parts the byte scanner gives up on.
#include "core/import/xlsx_sheet_cells.h"

#include <QXmlStreamReader>

namespace kestrova::xlsx {

namespace {

// "CV20000" -> column 100, row 20000. Either part may be absent (0).
bool ParseCellRef(QStringView ref, int& col, int& row) {
    col = 0;
    row = 0;
    qsizetype i = 0;
    while (i < ref.size()) {
        const char16_t ch = ref[i].unicode();
        const char16_t up = (ch >= u'a' && ch <= u'z') ? char16_t(ch - 32) : ch;
        if (up < u'A' || up > u'Z') break;
        col = col * 26 + (up - u'A' + 1);
        if (col > kMaxSheetCols) return false;
        ++i;
    }
    if (i < ref.size() && ref[i] == u'$') ++i;
    while (i < ref.size()) {
        const char16_t ch = ref[i].unicode();
        if (ch < u'0' || ch > u'9') return false;
        row = row * 10 + (ch - u'0');
        if (row > kMaxSheetRows) return false;
        ++i;
    }
    return true;
}

// Whole decimal number of a short text, or -1.
qint64 SmallIndex(QStringView text) {
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 12) return -1;
    qint64 v = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c.unicode() - u'0');
    }
    return v;
}

tSheetTag TagOf(QStringView name) {
    if (name == u"row") return tSheetTag::Row;
    if (name == u"c") return tSheetTag::Cell;
    if (name == u"v") return tSheetTag::Value;
    if (name == u"is") return tSheetTag::Inline;
    if (name == u"rPh") return tSheetTag::Phonetic;
    if (name == u"t") return tSheetTag::Text;
    return tSheetTag::Other;
}

tCellRef RefOf(QStringView ref) {
    tCellRef out;
    out.Present = !ref.isEmpty();
    if (out.Present) out.Ok = ParseCellRef(ref, out.Col, out.Row);
    return out;
}

// The cell being read: its type attribute and its value or inline text.
struct tParsedCell {
    QString Type;
    QString Value;
    QString InlineText;
};

// Keeps a finished cell by its type; an empty cell is left out.
bool KeepParsedCell(const tSheetCursor& at, const tParsedCell& c, tSheetSink& sink) {
    tSheetCell cell;
    cell.Col = uint16_t(at.CellCol);
    cell.Kind = tCellKind::Text;
    if (c.Type == u"s") {
        const qint64 i = SmallIndex(c.Value);
        if (c.Value.trimmed().isEmpty()) return true;
        cell.Text = sink.SharedText(i);
        if (cell.Text < 0) return false;
    } else if (c.Type == u"inlineStr") {
        if (c.InlineText.isEmpty()) return true;
        cell.Text = sink.AddText(c.InlineText);
    } else if (c.Type == u"b") {
        if (c.Value.isEmpty()) return true;
        cell.Text = sink.AddText(c.Value.trimmed() == u"0" ? QStringLiteral("FALSE") : QStringLiteral("TRUE"));
    } else if (c.Type == u"str" || c.Type == u"e" || c.Type == u"d") {
        if (c.Value.isEmpty()) return true;
        cell.Text = sink.AddText(c.Value);
    } else {
        if (c.Value.isEmpty()) return true;
        double v = 0;
        if (ToNumber(c.Value, v)) {
            cell.Kind = tCellKind::Number;
            cell.Number = v;
        } else {
            cell.Text = sink.AddText(c.Value);
        }
    }
    return sink.Keep(at.Row, cell);
}

// The start of an element: rows and cells checked, the cell's type kept.
bool StartElement(const QXmlStreamReader& xml, tSheetCursor& at, tParsedCell& cell) {
    const tSheetTag tag = TagOf(xml.name());
    if (tag == tSheetTag::Row) return EnterRow(at, RefOf(xml.attributes().value(QLatin1String("r"))));
    if (tag != tSheetTag::Cell) {
        EnterCellPart(at, tag);
        return true;
    }
    const auto attrs = xml.attributes();
    if (!EnterCell(at, RefOf(attrs.value(QLatin1String("r"))))) return false;
    cell.Type = attrs.value(QLatin1String("t")).toString();
    cell.Value.resize(0);  // keeps the capacity: no allocation per cell
    cell.InlineText.resize(0);
    return true;
}

}  // namespace

bool ParseSheet(zip_t* zip, const QString& part, tSheetSink& sink) {
    tSheetCursor at;
    tParsedCell cell;
    return ParsePart(zip, part, [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        switch (t) {
        case QXmlStreamReader::StartElement: return StartElement(xml, at, cell);
        case QXmlStreamReader::EndElement: return !LeaveElement(at, TagOf(xml.name())) || KeepParsedCell(at, cell, sink);
        case QXmlStreamReader::Characters: {
            QString* into = at.Collecting == tSheetCursor::tWhat::Value        ? &cell.Value
                            : at.Collecting == tSheetCursor::tWhat::InlineText ? &cell.InlineText
                                                                               : nullptr;
            if (!into) return true;
            *into += xml.text();
            return into->size() <= kMaxCellText;
        }
        default: return true;
        }
    });
}

}  // namespace kestrova::xlsx
