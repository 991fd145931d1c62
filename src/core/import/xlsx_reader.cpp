// .xlsx reading: the zip container through libzip, the XML parts through
// QXmlStreamReader fed in chunks. The files are untrusted: every part is
// capped in size, malformed XML fails the whole read, and cell positions are
// checked against the sheet limits.
#include "import/workbook_data.h"

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <zip.h>

#include <charconv>

namespace kestrova {

namespace {

// A sheet of 200,000 road records with a hundred key-point columns is about
// 700 MB of XML, so the limit leaves room for twice that.
qint64 gPartLimit = 2048LL * 1024 * 1024;
// Sheet XML packs about 5 to 20 times; a large part that packs more than 100
// times is a bomb (blanks or one repeated element), refused before inflating.
constexpr qint64 kRatioGrace = 64LL * 1024 * 1024;
constexpr qint64 kMaxPackRatio = 100;
// Most shared strings and cells accepted from one workbook.
constexpr qint64 kMaxStrings = 16 * 1024 * 1024;
constexpr qint64 kMaxCells = 32 * 1024 * 1024;
constexpr qint64 kChunk = 256 * 1024;

const QString kRelOfficeDocument = QStringLiteral("/officeDocument");
const QString kRelWorksheet = QStringLiteral("/worksheet");
const QString kRelSharedStrings = QStringLiteral("/sharedStrings");

struct tZipCloser {
    void operator()(zip_t* z) const {
        if (z) zip_discard(z);
    }
};

// Streams one zip part into a QXmlStreamReader, chunk by chunk.
class tPartStream {
public:
    tPartStream(zip_t* zip, const QString& name) {
        const QByteArray n = name.toUtf8();
        const zip_int64_t index = zip_name_locate(zip, n.constData(), ZIP_FL_NOCASE);
        if (index < 0) return;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, zip_uint64_t(index), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) {
            if (st.size > zip_uint64_t(gPartLimit)) return;  // announced as too big: not even started
            if ((st.valid & ZIP_STAT_COMP_SIZE) && st.size > zip_uint64_t(kRatioGrace) &&
                st.size / std::max<zip_uint64_t>(st.comp_size, 1) > zip_uint64_t(kMaxPackRatio))
                return;
            Announced = qint64(st.size);
        }
        File = zip_fopen_index(zip, zip_uint64_t(index), 0);
        Buffer.resize(kChunk);
    }
    ~tPartStream() {
        if (File) zip_fclose(File);
    }
    bool IsOpen() const { return File != nullptr; }

    // Adds the next chunk; false at the end of the part or on a failure
    // (Failed() tells which).
    bool Feed(QXmlStreamReader& xml) {
        if (!File || Done) return false;
        const zip_int64_t n = zip_fread(File, Buffer.data(), zip_uint64_t(Buffer.size()));
        if (n < 0) {
            Bad = true;
            return false;
        }
        if (n == 0) {
            Done = true;
            return false;
        }
        Total += n;
        // A part that inflates beyond the size its header announces is
        // corrupt or a bomb: stop at once instead of at the general limit.
        if (Total > gPartLimit || (Announced >= 0 && Total > Announced)) {
            Bad = true;
            return false;
        }
        xml.addData(QByteArray(Buffer.constData(), qsizetype(n)));
        return true;
    }
    bool Failed() const { return Bad; }

private:
    zip_file_t* File = nullptr;
    QByteArray Buffer;
    qint64 Total = 0;
    qint64 Announced = -1;
    bool Done = false;
    bool Bad = false;
};

// Runs handler over every token of a part. Fails on a missing part, a read or
// size failure, malformed XML, or when the handler returns false.
template <typename Handler>
bool ParsePart(zip_t* zip, const QString& name, Handler&& handler) {
    tPartStream stream(zip, name);
    if (!stream.IsOpen()) return false;
    QXmlStreamReader xml;
    stream.Feed(xml);
    for (;;) {
        const auto token = xml.readNext();
        if (xml.hasError()) {
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && stream.Feed(xml)) continue;
            return false;
        }
        if (token == QXmlStreamReader::EndDocument) return !stream.Failed();
        if (token == QXmlStreamReader::DTD) return false;  // spreadsheets carry no DTD
        if (!handler(xml, token)) return false;
    }
}

// "r:id" and the like: the attribute with this local name in any namespace.
QString AttributeByLocalName(const QXmlStreamReader& xml, QStringView localName, bool wantPrefixed) {
    for (const auto& a : xml.attributes()) {
        if (a.name() != localName) continue;
        const bool prefixed = !a.prefix().isEmpty() || !a.namespaceUri().isEmpty();
        if (prefixed == wantPrefixed) return a.value().toString();
    }
    return {};
}

// Relationship id -> (type, target path inside the zip) of a .rels part.
struct tRelation {
    QString Type;
    QString Target;
};

bool ReadRelations(zip_t* zip, const QString& relsName, const QString& baseFolder, QHash<QString, tRelation>& out) {
    return ParsePart(zip, relsName, [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        if (t == QXmlStreamReader::StartElement && xml.name() == u"Relationship") {
            const auto attrs = xml.attributes();
            QString target = attrs.value(QLatin1String("Target")).toString();
            if (attrs.value(QLatin1String("TargetMode")) == u"External") return true;
            if (target.startsWith(QLatin1Char('/'))) target = target.mid(1);
            else target = baseFolder + target;
            target = QDir::cleanPath(target);
            out.insert(attrs.value(QLatin1String("Id")).toString(), {attrs.value(QLatin1String("Type")).toString(), target});
        }
        return true;
    });
}

QString FolderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString RelsOf(const QString& path) {
    return FolderOf(path) + QStringLiteral("_rels/") + path.mid(FolderOf(path).size()) + QStringLiteral(".rels");
}

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

// A cell's stored number (C locale, as the file format writes it).
bool ToNumber(const QString& text, double& v) {
    char bytes[64];
    const qsizetype n = text.size();
    if (n == 0 || n >= qsizetype(sizeof bytes)) {
        bool ok = false;
        v = text.trimmed().toDouble(&ok);
        return ok;
    }
    const QChar* d = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = d[i].unicode();
        if (c > 0x7F) return false;
        bytes[i] = char(c);
    }
    const char* first = bytes;
    const char* last = bytes + n;
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec == std::errc() && ptr == last) return true;
    bool ok = false;
    v = text.trimmed().toDouble(&ok);  // blanks or other rare forms
    return ok;
}

class tXlsxReader final : public tWorkbookReader {
public:
    bool Open(const QString& fileName);
    QStringList SheetNames() const override { return Names; }
    bool ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) override;

private:
    bool ReadSharedStrings();

    std::unique_ptr<zip_t, tZipCloser> Zip;
    QStringList Names;
    QStringList Parts;               // sheet part per sheet, empty for chart sheets
    QString SharedStringsPart;
    bool SharedRead = false;
    bool SharedOk = false;
    std::vector<QString> Shared;
    // Shared strings are copied into the workbook's text pool once; this maps
    // a shared index to its pool index.
    std::vector<int32_t> SharedInPool;
};

bool tXlsxReader::Open(const QString& fileName) {
    int err = 0;
    const QByteArray name = QFile::encodeName(fileName);
    Zip.reset(zip_open(name.constData(), ZIP_RDONLY, &err));
    if (!Zip) return false;

    // The package relations name the workbook part; xl/workbook.xml when absent.
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    QHash<QString, tRelation> rootRels;
    if (ReadRelations(Zip.get(), QStringLiteral("_rels/.rels"), QString(), rootRels)) {
        for (const auto& rel : rootRels)
            if (rel.Type.endsWith(kRelOfficeDocument)) workbookPart = rel.Target;
    }
    QHash<QString, tRelation> rels;
    if (!ReadRelations(Zip.get(), RelsOf(workbookPart), FolderOf(workbookPart), rels)) return false;
    for (const auto& rel : rels)
        if (rel.Type.endsWith(kRelSharedStrings)) SharedStringsPart = rel.Target;

    bool inSheets = false;
    const bool ok = ParsePart(Zip.get(), workbookPart, [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        if (t == QXmlStreamReader::StartElement) {
            if (xml.name() == u"sheets") inSheets = true;
            else if (inSheets && xml.name() == u"sheet") {
                const QString sheetName = xml.attributes().value(QLatin1String("name")).toString();
                const QString id = AttributeByLocalName(xml, u"id", true);
                const auto rel = rels.value(id);
                Names << sheetName;
                Parts << (rel.Type.endsWith(kRelWorksheet) ? rel.Target : QString());
                if (Names.size() > 4096) return false;
            }
        } else if (t == QXmlStreamReader::EndElement && xml.name() == u"sheets") {
            inSheets = false;
        }
        return true;
    });
    return ok;
}

bool tXlsxReader::ReadSharedStrings() {
    if (SharedRead) return SharedOk;
    SharedRead = true;
    if (SharedStringsPart.isEmpty()) {
        SharedOk = true;
        return true;
    }
    // Inside <si> the visible text is every <t>, except the phonetic runs <rPh>.
    bool inItem = false;
    int phonetic = 0;
    bool inText = false;
    QString current;
    SharedOk = ParsePart(Zip.get(), SharedStringsPart, [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        switch (t) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"si") {
                inItem = true;
                current.clear();
            } else if (xml.name() == u"rPh") {
                ++phonetic;
            } else if (inItem && phonetic == 0 && xml.name() == u"t") {
                inText = true;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == u"si") {
                inItem = false;
                Shared.push_back(current);
                if (qint64(Shared.size()) > kMaxStrings) return false;
            } else if (xml.name() == u"rPh") {
                --phonetic;
            } else if (xml.name() == u"t") {
                inText = false;
            }
            break;
        case QXmlStreamReader::Characters:
            if (inText) {
                current += xml.text();
                if (current.size() > kMaxCellText) return false;
            }
            break;
        default: break;
        }
        return true;
    });
    SharedInPool.assign(Shared.size(), -1);
    return SharedOk;
}

bool tXlsxReader::ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) {
    if (index < 0 || index >= Parts.size()) return false;
    if (Parts[index].isEmpty()) return true;  // a chart sheet has no cells
    if (!ReadSharedStrings()) return false;

    enum class tWhat { None, Value, InlineText };
    int row = 0;         // current row number
    int nextCol = 1;     // column of a cell without a reference
    bool inCell = false;
    int cellCol = 0;
    QString cellType;
    tWhat collecting = tWhat::None;
    bool inInline = false;
    int phonetic = 0;
    QString value;
    QString inlineText;
    qint64 cells = 0;
    tSheetRow* current = nullptr;

    auto rowFor = [&](int r) -> tSheetRow* {
        if (!current || current->Row != r) {
            sheet.Rows.push_back(tSheetRow{r, {}});
            current = &sheet.Rows.back();
        }
        return current;
    };

    auto commit = [&]() -> bool {
        tSheetCell cell;
        cell.Col = uint16_t(cellCol);
        if (cellType == u"s") {
            const qint64 i = SmallIndex(value);
            if (value.trimmed().isEmpty()) return true;
            if (i < 0 || i >= qint64(Shared.size())) return false;
            if (SharedInPool[size_t(i)] < 0) {
                SharedInPool[size_t(i)] = int32_t(texts.size());
                texts.push_back(Shared[size_t(i)]);
            }
            cell.Kind = tCellKind::Text;
            cell.Text = SharedInPool[size_t(i)];
        } else if (cellType == u"inlineStr") {
            if (inlineText.isEmpty()) return true;
            cell.Kind = tCellKind::Text;
            cell.Text = int32_t(texts.size());
            texts.push_back(inlineText);
        } else if (cellType == u"b") {
            if (value.isEmpty()) return true;
            cell.Kind = tCellKind::Text;
            cell.Text = int32_t(texts.size());
            texts.push_back(value.trimmed() == u"0" ? QStringLiteral("FALSE") : QStringLiteral("TRUE"));
        } else if (cellType == u"str" || cellType == u"e" || cellType == u"d") {
            if (value.isEmpty()) return true;
            cell.Kind = tCellKind::Text;
            cell.Text = int32_t(texts.size());
            texts.push_back(value);
        } else {
            if (value.isEmpty()) return true;
            double v = 0;
            if (ToNumber(value, v)) {
                cell.Kind = tCellKind::Number;
                cell.Number = v;
            } else {
                cell.Kind = tCellKind::Text;
                cell.Text = int32_t(texts.size());
                texts.push_back(value);
            }
        }
        if (++cells > kMaxCells) return false;
        rowFor(row)->Cells.push_back(cell);
        return true;
    };

    return ParsePart(Zip.get(), Parts[index], [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        switch (t) {
        case QXmlStreamReader::StartElement: {
            const auto name = xml.name();
            if (name == u"row") {
                int c = 0, r = 0;
                const auto ref = xml.attributes().value(QLatin1String("r"));
                if (!ref.isEmpty()) {
                    if (!ParseCellRef(ref, c, r) || c != 0 || r < 1) return false;
                    if (r <= row) return false;  // rows must come in order
                } else {
                    r = row + 1;
                }
                if (r > kMaxSheetRows) return false;
                row = r;
                nextCol = 1;
            } else if (name == u"c") {
                if (row < 1) return false;
                const auto attrs = xml.attributes();
                int c = 0, r = 0;
                const auto ref = attrs.value(QLatin1String("r"));
                if (!ref.isEmpty()) {
                    if (!ParseCellRef(ref, c, r) || c < 1 || (r != 0 && r != row)) return false;
                } else {
                    c = nextCol;
                }
                if (c > kMaxSheetCols) return false;
                cellCol = c;
                nextCol = c + 1;
                cellType = attrs.value(QLatin1String("t")).toString();
                value.resize(0);  // keeps the capacity: no allocation per cell
                inlineText.resize(0);
                inCell = true;
            } else if (inCell && name == u"v") {
                collecting = tWhat::Value;
            } else if (inCell && name == u"is") {
                inInline = true;
            } else if (inInline && name == u"rPh") {
                ++phonetic;
            } else if (inInline && phonetic == 0 && name == u"t") {
                collecting = tWhat::InlineText;
            }
            break;
        }
        case QXmlStreamReader::EndElement: {
            const auto name = xml.name();
            if (name == u"v" || name == u"t") {
                collecting = tWhat::None;
            } else if (name == u"rPh") {
                --phonetic;
            } else if (name == u"is") {
                inInline = false;
            } else if (name == u"c" && inCell) {
                inCell = false;
                collecting = tWhat::None;
                if (!commit()) return false;
            }
            break;
        }
        case QXmlStreamReader::Characters:
            if (collecting == tWhat::Value) {
                value += xml.text();
                if (value.size() > kMaxCellText) return false;
            } else if (collecting == tWhat::InlineText) {
                inlineText += xml.text();
                if (inlineText.size() > kMaxCellText) return false;
            }
            break;
        default: break;
        }
        return true;
    });
}

}  // namespace

qint64 XlsxPartLimit() { return gPartLimit; }
void SetXlsxPartLimit(qint64 bytes) { gPartLimit = bytes; }

std::unique_ptr<tWorkbookReader> OpenXlsxReader(const QString& fileName) {
    auto reader = std::make_unique<tXlsxReader>();
    if (!reader->Open(fileName)) return nullptr;
    return reader;
}

}  // namespace kestrova
