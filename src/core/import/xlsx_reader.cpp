// .xlsx reading: the zip container through libzip, the XML parts through
// QXmlStreamReader fed in chunks. The files are untrusted: every part is
// capped in size, malformed XML fails the whole read, and cell positions are
// checked against the sheet limits.
#include "import/workbook_data.h"
#include "import/zip_part.h"

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <zip.h>

#include <charconv>
#include <functional>
#include <cstring>
#include <string>
#include <string_view>

namespace kestrova {

namespace {

qint64 gPartLimit = 2048LL * 1024 * 1024;
// Most shared strings and cells accepted from one workbook.
constexpr qint64 kMaxStrings = 16 * 1024 * 1024;
constexpr qint64 kMaxCells = 32 * 1024 * 1024;

const QString kRelOfficeDocument = QStringLiteral("/officeDocument");
const QString kRelWorksheet = QStringLiteral("/worksheet");
const QString kRelSharedStrings = QStringLiteral("/sharedStrings");

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

// "CV20000" as bytes; the same rules as ParseCellRef.
bool ParseCellRefBytes(std::string_view ref, int& col, int& row) {
    col = 0;
    row = 0;
    size_t i = 0;
    while (i < ref.size()) {
        const char ch = ref[i];
        const char up = (ch >= 'a' && ch <= 'z') ? char(ch - 32) : ch;
        if (up < 'A' || up > 'Z') break;
        col = col * 26 + (up - 'A' + 1);
        if (col > kMaxSheetCols) return false;
        ++i;
    }
    if (i < ref.size() && ref[i] == '$') ++i;
    while (i < ref.size()) {
        const char ch = ref[i];
        if (ch < '0' || ch > '9') return false;
        row = row * 10 + (ch - '0');
        if (row > kMaxSheetRows) return false;
        ++i;
    }
    return true;
}

bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view TrimAscii(std::string_view v) {
    while (!v.empty() && IsXmlBlank(v.front())) v.remove_prefix(1);
    while (!v.empty() && IsXmlBlank(v.back())) v.remove_suffix(1);
    return v;
}

// ToNumber for the bytes of a plain ASCII value.
bool BytesToNumber(std::string_view text, double& v) {
    if (!text.empty() && text.size() < 64) {
        const char* first = text.data();
        const char* last = first + text.size();
        if (*first == '+') ++first;
        const auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
        if (ec == std::errc() && ptr == last) return true;
    }
    return ToNumber(QString::fromLatin1(text.data(), qsizetype(text.size())), v);
}

// A reader made for sheet parts of the usual shape: UTF-8 holding nothing
// beyond ASCII, elements without prefixes, no comments, CDATA, entity or
// character references, processing instructions or carriage returns in
// text. It checks that the part is well formed as far as it reads; at the
// first thing outside that shape it gives up, and the part is then read by
// QXmlStreamReader, which decides alone.
class tSheetScanner {
public:
    enum class tResult { Ok, Failed, GiveUp };

    struct tEvents {
        std::function<bool(std::string_view name, std::string_view r, std::string_view t)> Start;
        std::function<bool(std::string_view name)> End;
        std::function<bool(std::string_view text)> Text;
    };

    tResult Run(tPartStream& stream, const tEvents& events) {
        Buf.clear();
        Pos = 0;
        bool first = true;
        for (;;) {
            if (Pos >= Buf.size()) {
                Buf.clear();
                Pos = 0;
                if (!More(stream)) return Finish(stream);
            }
            if (Buf[Pos] != '<') {
                // Text up to the next tag, in pieces as the chunks come.
                size_t i = Pos;
                while (i < Buf.size() && Buf[i] != '<') {
                    const auto c = static_cast<unsigned char>(Buf[i]);
                    if (c >= 0x80 || c == '&' || c == ']' || (c < 0x20 && c != '\t' && c != '\n' && c != '\r'))
                        return tResult::GiveUp;
                    if (c == '\r' && Depth() > 0) return tResult::GiveUp;
                    ++i;
                }
                const std::string_view text(Buf.data() + Pos, i - Pos);
                if (Depth() == 0) {
                    for (char c : text)
                        if (!IsXmlBlank(c)) return tResult::GiveUp;
                } else if (!events.Text(text)) {
                    return tResult::Failed;
                }
                Pos = i;
                first = false;
                continue;
            }
            // A tag: up to the next ">" outside quotes.
            size_t end = Pos + 1;
            char quote = 0;
            for (;;) {
                if (end >= Buf.size()) {
                    if (Buf.size() - Pos > kMaxTag) return tResult::GiveUp;
                    Compact(end);
                    if (!More(stream)) return tResult::GiveUp;
                    continue;
                }
                const char c = Buf[end];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                }
                ++end;
            }
            const std::string_view tag(Buf.data() + Pos, end - Pos + 1);
            Pos = end + 1;
            const tResult r = Tag(tag, first, events);
            first = false;
            if (r != tResult::Ok) return r;
        }
    }

private:
    static constexpr size_t kMaxTag = 1024 * 1024;
    static constexpr size_t kMaxAttributes = 64;

    size_t Depth() const { return Stack.size(); }

    // Drops the bytes before the current token; end moves with them.
    void Compact(size_t& end) {
        Buf.erase(0, Pos);
        end -= Pos;
        Pos = 0;
    }
    bool More(tPartStream& stream) { return stream.FeedBytes(Buf); }

    tResult Finish(tPartStream& stream) const {
        if (stream.Failed() || !RootDone) return tResult::GiveUp;
        return tResult::Ok;
    }

    static bool NameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
    static bool NameChar(char c) { return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

    // A name without a prefix at i; empty when there is none.
    static std::string_view Name(std::string_view tag, size_t& i) {
        const size_t start = i;
        if (i >= tag.size() || !NameStart(tag[i])) return {};
        while (i < tag.size() && NameChar(tag[i])) ++i;
        return tag.substr(start, i - start);
    }

    tResult Tag(std::string_view tag, bool first, const tEvents& events) {
        // tag runs from "<" to ">" inclusive.
        if (tag.size() < 3) return tResult::GiveUp;
        if (tag[1] == '?') return first ? Declaration(tag) : tResult::GiveUp;
        if (tag[1] == '!') return tResult::GiveUp;
        if (tag[1] == '/') {
            size_t i = 2;
            const std::string_view name = Name(tag, i);
            while (i < tag.size() - 1 && IsXmlBlank(tag[i])) ++i;
            if (name.empty() || i != tag.size() - 1 || Stack.empty() || Stack.back() != name) return tResult::GiveUp;
            Stack.pop_back();
            if (Stack.empty()) RootDone = true;
            return events.End(name) ? tResult::Ok : tResult::Failed;
        }
        if (RootDone) return tResult::GiveUp;  // a second root
        size_t i = 1;
        const std::string_view name = Name(tag, i);
        if (name.empty()) return tResult::GiveUp;
        const bool root = Stack.empty();
        std::string_view r, t;
        std::string_view seen[kMaxAttributes];
        size_t count = 0;
        bool selfClosing = false;
        const size_t last = tag.size() - 1;  // the ">"
        for (;;) {
            const size_t before = i;
            while (i < last && IsXmlBlank(tag[i])) ++i;
            if (i == last) break;
            if (tag[i] == '/') {
                if (i + 1 != last) return tResult::GiveUp;
                selfClosing = true;
                break;
            }
            if (i == before) return tResult::GiveUp;  // attributes are parted by blanks
            std::string_view prefix;
            std::string_view attr = Name(tag, i);
            if (attr.empty()) return tResult::GiveUp;
            if (i < last && tag[i] == ':') {
                prefix = attr;
                ++i;
                const std::string_view local = Name(tag, i);
                if (local.empty()) return tResult::GiveUp;
                attr = std::string_view(prefix.data(), size_t(local.data() + local.size() - prefix.data()));
            }
            while (i < last && IsXmlBlank(tag[i])) ++i;
            if (i >= last || tag[i] != '=') return tResult::GiveUp;
            ++i;
            while (i < last && IsXmlBlank(tag[i])) ++i;
            if (i >= last || (tag[i] != '"' && tag[i] != '\'')) return tResult::GiveUp;
            const char q = tag[i++];
            const size_t vstart = i;
            while (i < last && tag[i] != q) {
                const auto c = static_cast<unsigned char>(tag[i]);
                if (c >= 0x80 || c < 0x20 || c == '&' || c == '<') return tResult::GiveUp;
                ++i;
            }
            if (i >= last) return tResult::GiveUp;
            const std::string_view value = tag.substr(vstart, i - vstart);
            ++i;
            for (size_t k = 0; k < count; ++k)
                if (seen[k] == attr) return tResult::GiveUp;
            if (count == kMaxAttributes) return tResult::GiveUp;
            seen[count++] = attr;
            if (prefix == "xmlns") {
                if (!root || value.empty()) return tResult::GiveUp;
                Prefixes.emplace_back(attr.substr(6));
            } else if (!prefix.empty() && prefix != "xml") {
                bool declared = false;
                for (const auto& p : Prefixes) declared = declared || p == prefix;
                // Declarations may follow their use within the root tag.
                if (!declared && !root) return tResult::GiveUp;
                if (!declared) PendingPrefixes.emplace_back(prefix);
            } else if (prefix.empty() && attr == "r") {
                r = value;
            } else if (prefix.empty() && attr == "t") {
                t = value;
            }
        }
        for (const auto& p : PendingPrefixes) {
            bool declared = false;
            for (const auto& d : Prefixes) declared = declared || d == p;
            if (!declared) return tResult::GiveUp;
        }
        PendingPrefixes.clear();
        Stack.emplace_back(name);
        if (!events.Start(name, r, t)) return tResult::Failed;
        if (selfClosing) {
            Stack.pop_back();
            if (Stack.empty()) RootDone = true;
            if (!events.End(name)) return tResult::Failed;
        }
        return tResult::Ok;
    }

    // <?xml version="1.0" encoding="UTF-8" standalone="yes"?> at the very start.
    static tResult Declaration(std::string_view tag) {
        static const std::string_view kForms[] = {
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)",
            R"(<?xml version="1.0" encoding="UTF-8"?>)",
            R"(<?xml version="1.0" encoding="utf-8"?>)",
            R"(<?xml version="1.0" encoding="utf-8" standalone="yes"?>)",
            R"(<?xml version="1.0"?>)",
        };
        for (const auto& form : kForms)
            if (tag == form) return tResult::Ok;
        return tResult::GiveUp;
    }

    std::string Buf;
    size_t Pos = 0;
    std::vector<std::string> Stack;
    std::vector<std::string> Prefixes;
    std::vector<std::string> PendingPrefixes;
    bool RootDone = false;
};

class tXlsxReader final : public tWorkbookReader {
public:
    bool Open(const QString& fileName);
    QStringList SheetNames() const override { return Names; }
    bool ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) override;

private:
    bool ReadSharedStrings();
    tSheetScanner::tResult ScanSheet(tPartStream& stream, tSheetData& sheet, std::vector<QString>& texts);
    bool ParseSheet(int index, tSheetData& sheet, std::vector<QString>& texts);

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
    const size_t textsBefore = texts.size();
    const size_t rowsBefore = sheet.Rows.size();
    {
        tPartStream stream(Zip.get(), Parts[index]);
        if (!stream.IsOpen()) return false;
        const auto result = ScanSheet(stream, sheet, texts);
        if (result == tSheetScanner::tResult::Ok) return true;
        if (result == tSheetScanner::tResult::Failed) return false;
    }
    // A part of another shape: read again from the start by the XML reader.
    texts.resize(textsBefore);
    sheet.Rows.resize(rowsBefore);
    for (auto& p : SharedInPool)
        if (p >= int32_t(textsBefore)) p = -1;
    return ParseSheet(index, sheet, texts);
}

tSheetScanner::tResult tXlsxReader::ScanSheet(tPartStream& stream, tSheetData& sheet, std::vector<QString>& texts) {
    enum class tWhat { None, Value, InlineText };
    int row = 0;
    int nextCol = 1;
    bool inCell = false;
    int cellCol = 0;
    std::string cellType;
    tWhat collecting = tWhat::None;
    bool inInline = false;
    int phonetic = 0;
    std::string value;
    std::string inlineText;
    qint64 cells = 0;
    tSheetRow* current = nullptr;
    size_t lastRowCells = 0;

    auto rowFor = [&](int r) -> tSheetRow* {
        if (!current || current->Row != r) {
            if (current) lastRowCells = current->Cells.size();
            sheet.Rows.push_back(tSheetRow{r, {}});
            current = &sheet.Rows.back();
            current->Cells.reserve(lastRowCells);
        }
        return current;
    };
    auto addText = [&](std::string_view t) {
        texts.push_back(QString::fromLatin1(t.data(), qsizetype(t.size())));
        return int32_t(texts.size() - 1);
    };

    auto commit = [&]() -> bool {
        tSheetCell cell;
        cell.Col = uint16_t(cellCol);
        if (cellType == "s") {
            const std::string_view trimmed = TrimAscii(value);
            if (trimmed.empty()) return true;
            qint64 i = -1;
            if (trimmed.size() <= 12) {
                i = 0;
                for (char c : trimmed) {
                    if (c < '0' || c > '9') {
                        i = -1;
                        break;
                    }
                    i = i * 10 + (c - '0');
                }
            }
            if (i < 0 || i >= qint64(Shared.size())) return false;
            if (SharedInPool[size_t(i)] < 0) {
                SharedInPool[size_t(i)] = int32_t(texts.size());
                texts.push_back(Shared[size_t(i)]);
            }
            cell.Kind = tCellKind::Text;
            cell.Text = SharedInPool[size_t(i)];
        } else if (cellType == "inlineStr") {
            if (inlineText.empty()) return true;
            cell.Kind = tCellKind::Text;
            cell.Text = addText(inlineText);
        } else if (cellType == "b") {
            if (value.empty()) return true;
            cell.Kind = tCellKind::Text;
            cell.Text = int32_t(texts.size());
            texts.push_back(TrimAscii(value) == "0" ? QStringLiteral("FALSE") : QStringLiteral("TRUE"));
        } else if (cellType == "str" || cellType == "e" || cellType == "d") {
            if (value.empty()) return true;
            cell.Kind = tCellKind::Text;
            cell.Text = addText(value);
        } else {
            if (value.empty()) return true;
            double v = 0;
            if (BytesToNumber(value, v)) {
                cell.Kind = tCellKind::Number;
                cell.Number = v;
            } else {
                cell.Kind = tCellKind::Text;
                cell.Text = addText(value);
            }
        }
        if (++cells > kMaxCells) return false;
        rowFor(row)->Cells.push_back(cell);
        return true;
    };

    tSheetScanner::tEvents events;
    events.Start = [&](std::string_view name, std::string_view ref, std::string_view type) {
        if (name == "row") {
            int c = 0, r = 0;
            if (!ref.empty()) {
                if (!ParseCellRefBytes(ref, c, r) || c != 0 || r < 1) return false;
                if (r <= row) return false;  // rows must come in order
            } else {
                r = row + 1;
            }
            if (r > kMaxSheetRows) return false;
            row = r;
            nextCol = 1;
        } else if (name == "c") {
            if (row < 1) return false;
            int c = 0, r = 0;
            if (!ref.empty()) {
                if (!ParseCellRefBytes(ref, c, r) || c < 1 || (r != 0 && r != row)) return false;
            } else {
                c = nextCol;
            }
            if (c > kMaxSheetCols) return false;
            cellCol = c;
            nextCol = c + 1;
            cellType.assign(type);
            value.clear();
            inlineText.clear();
            inCell = true;
        } else if (inCell && name == "v") {
            collecting = tWhat::Value;
        } else if (inCell && name == "is") {
            inInline = true;
        } else if (inInline && name == "rPh") {
            ++phonetic;
        } else if (inInline && phonetic == 0 && name == "t") {
            collecting = tWhat::InlineText;
        }
        return true;
    };
    events.End = [&](std::string_view name) {
        if (name == "v" || name == "t") {
            collecting = tWhat::None;
        } else if (name == "rPh") {
            --phonetic;
        } else if (name == "is") {
            inInline = false;
        } else if (name == "c" && inCell) {
            inCell = false;
            collecting = tWhat::None;
            if (!commit()) return false;
        }
        return true;
    };
    events.Text = [&](std::string_view text) {
        if (collecting == tWhat::Value) {
            value += text;
            if (value.size() > size_t(kMaxCellText)) return false;
        } else if (collecting == tWhat::InlineText) {
            inlineText += text;
            if (inlineText.size() > size_t(kMaxCellText)) return false;
        }
        return true;
    };
    tSheetScanner scanner;
    return scanner.Run(stream, events);
}

bool tXlsxReader::ParseSheet(int index, tSheetData& sheet, std::vector<QString>& texts) {

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
