// The byte scanner of .xlsx sheet parts: reads parts of the usual shape
// without an XML library and gives up at the first thing outside it.
#include "core/import/xlsx_sheet_cells.h"

#include <charconv>
#include <functional>
#include <string>
#include <string_view>

namespace kestrova::xlsx {

namespace {

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
    using tResult = tScanResult;

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
        if (tag[1] == '/') return CloseTag(tag, events);
        if (RootDone) return tResult::GiveUp;  // a second root
        return OpenTag(tag, events);
    }

    tResult CloseTag(std::string_view tag, const tEvents& events) {
        size_t i = 2;
        const std::string_view name = Name(tag, i);
        while (i < tag.size() - 1 && IsXmlBlank(tag[i])) ++i;
        if (name.empty() || i != tag.size() - 1 || Stack.empty() || Stack.back() != name) return tResult::GiveUp;
        Stack.pop_back();
        if (Stack.empty()) RootDone = true;
        return events.End(name) ? tResult::Ok : tResult::Failed;
    }

    // What an opening tag holds for the reader.
    struct tOpenTag {
        std::string_view Name;
        std::string_view R, T;  // the cell reference and type attributes
        bool Root = false;
        bool SelfClosing = false;
        std::string_view Seen[kMaxAttributes];
        size_t Count = 0;
    };

    tResult OpenTag(std::string_view tag, const tEvents& events) {
        tOpenTag open;
        size_t i = 1;
        open.Name = Name(tag, i);
        if (open.Name.empty()) return tResult::GiveUp;
        open.Root = Stack.empty();
        if (!ReadAttributes(tag, i, open) || !PendingPrefixesDeclared()) return tResult::GiveUp;
        Stack.emplace_back(open.Name);
        if (!events.Start(open.Name, open.R, open.T)) return tResult::Failed;
        if (open.SelfClosing) {
            Stack.pop_back();
            if (Stack.empty()) RootDone = true;
            if (!events.End(open.Name)) return tResult::Failed;
        }
        return tResult::Ok;
    }

    // The attributes from i to the end of the tag, parted by blanks.
    bool ReadAttributes(std::string_view tag, size_t& i, tOpenTag& open) {
        const size_t last = tag.size() - 1;  // the ">"
        for (;;) {
            const size_t before = i;
            while (i < last && IsXmlBlank(tag[i])) ++i;
            if (i == last) return true;
            if (tag[i] == '/') {
                if (i + 1 != last) return false;
                open.SelfClosing = true;
                return true;
            }
            if (i == before) return false;  // attributes are parted by blanks
            std::string_view prefix, attr, value;
            if (!ReadAttribute(tag, i, prefix, attr, value) || !NoteAttribute(prefix, attr, value, open)) return false;
        }
    }

    // One attribute at i: its prefix (empty when none), its whole name and its value.
    static bool ReadAttribute(std::string_view tag, size_t& i, std::string_view& prefix, std::string_view& attr,
                              std::string_view& value) {
        const size_t last = tag.size() - 1;
        attr = Name(tag, i);
        if (attr.empty()) return false;
        if (i < last && tag[i] == ':') {
            prefix = attr;
            ++i;
            const std::string_view local = Name(tag, i);
            if (local.empty()) return false;
            attr = std::string_view(prefix.data(), size_t(local.data() + local.size() - prefix.data()));
        }
        while (i < last && IsXmlBlank(tag[i])) ++i;
        if (i >= last || tag[i] != '=') return false;
        ++i;
        while (i < last && IsXmlBlank(tag[i])) ++i;
        if (i >= last || (tag[i] != '"' && tag[i] != '\'')) return false;
        const char q = tag[i++];
        const size_t vstart = i;
        while (i < last && tag[i] != q) {
            const auto c = static_cast<unsigned char>(tag[i]);
            if (c >= 0x80 || c < 0x20 || c == '&' || c == '<') return false;
            ++i;
        }
        if (i >= last) return false;
        value = tag.substr(vstart, i - vstart);
        ++i;
        return true;
    }

    // Bookkeeping of one attribute: no name twice, namespace prefixes
    // declared in the root tag, the cell reference and type kept.
    bool NoteAttribute(std::string_view prefix, std::string_view attr, std::string_view value, tOpenTag& open) {
        for (size_t k = 0; k < open.Count; ++k)
            if (open.Seen[k] == attr) return false;
        if (open.Count == kMaxAttributes) return false;
        open.Seen[open.Count++] = attr;
        if (prefix == "xmlns") {
            if (!open.Root || value.empty()) return false;
            Prefixes.emplace_back(attr.substr(6));
        } else if (!prefix.empty() && prefix != "xml") {
            bool declared = false;
            for (const auto& p : Prefixes) declared = declared || p == prefix;
            // Declarations may follow their use within the root tag.
            if (!declared && !open.Root) return false;
            if (!declared) PendingPrefixes.emplace_back(prefix);
        } else if (prefix.empty() && attr == "r") {
            open.R = value;
        } else if (prefix.empty() && attr == "t") {
            open.T = value;
        }
        return true;
    }

    bool PendingPrefixesDeclared() {
        for (const auto& p : PendingPrefixes) {
            bool declared = false;
            for (const auto& d : Prefixes) declared = declared || d == p;
            if (!declared) return false;
        }
        PendingPrefixes.clear();
        return true;
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

tSheetTag TagOf(std::string_view name) {
    if (name == "row") return tSheetTag::Row;
    if (name == "c") return tSheetTag::Cell;
    if (name == "v") return tSheetTag::Value;
    if (name == "is") return tSheetTag::Inline;
    if (name == "rPh") return tSheetTag::Phonetic;
    if (name == "t") return tSheetTag::Text;
    return tSheetTag::Other;
}

tCellRef RefOf(std::string_view ref) {
    tCellRef out;
    out.Present = !ref.empty();
    if (out.Present) out.Ok = ParseCellRefBytes(ref, out.Col, out.Row);
    return out;
}

// The cell being read: its type attribute and the bytes of its value or inline text.
struct tScannedCell {
    std::string Type;
    std::string Value;
    std::string InlineText;
};

int32_t AddBytes(tSheetSink& sink, std::string_view t) {
    return sink.AddText(QString::fromLatin1(t.data(), qsizetype(t.size())));
}

// Shared-string index of a cell value: up to 12 digits, or -1.
qint64 SharedIndexOf(std::string_view trimmed) {
    if (trimmed.size() > 12) return -1;
    qint64 i = 0;
    for (char c : trimmed) {
        if (c < '0' || c > '9') return -1;
        i = i * 10 + (c - '0');
    }
    return i;
}

// Keeps a finished cell by its type; an empty cell is left out.
bool KeepScannedCell(const tSheetCursor& at, const tScannedCell& c, tSheetSink& sink) {
    tSheetCell cell;
    cell.Col = uint16_t(at.CellCol);
    cell.Kind = tCellKind::Text;
    if (c.Type == "s") {
        const std::string_view trimmed = TrimAscii(c.Value);
        if (trimmed.empty()) return true;
        cell.Text = sink.SharedText(SharedIndexOf(trimmed));
        if (cell.Text < 0) return false;
    } else if (c.Type == "inlineStr") {
        if (c.InlineText.empty()) return true;
        cell.Text = AddBytes(sink, c.InlineText);
    } else if (c.Type == "b") {
        if (c.Value.empty()) return true;
        cell.Text = sink.AddText(TrimAscii(c.Value) == "0" ? QStringLiteral("FALSE") : QStringLiteral("TRUE"));
    } else if (c.Type == "str" || c.Type == "e" || c.Type == "d") {
        if (c.Value.empty()) return true;
        cell.Text = AddBytes(sink, c.Value);
    } else {
        if (c.Value.empty()) return true;
        double v = 0;
        if (BytesToNumber(c.Value, v)) {
            cell.Kind = tCellKind::Number;
            cell.Number = v;
        } else {
            cell.Text = AddBytes(sink, c.Value);
        }
    }
    return sink.Keep(at.Row, cell);
}

}  // namespace

tScanResult ScanSheet(tPartStream& stream, tSheetSink& sink) {
    tSheetCursor at;
    tScannedCell cell;
    tSheetScanner::tEvents events;
    events.Start = [&](std::string_view name, std::string_view ref, std::string_view type) {
        const tSheetTag tag = TagOf(name);
        if (tag == tSheetTag::Row) return EnterRow(at, RefOf(ref));
        if (tag != tSheetTag::Cell) {
            EnterCellPart(at, tag);
            return true;
        }
        if (!EnterCell(at, RefOf(ref))) return false;
        cell.Type.assign(type);
        cell.Value.clear();
        cell.InlineText.clear();
        return true;
    };
    events.End = [&](std::string_view name) {
        return !LeaveElement(at, TagOf(name)) || KeepScannedCell(at, cell, sink);
    };
    events.Text = [&](std::string_view text) {
        std::string* into = at.Collecting == tSheetCursor::tWhat::Value        ? &cell.Value
                            : at.Collecting == tSheetCursor::tWhat::InlineText ? &cell.InlineText
                                                                               : nullptr;
        if (!into) return true;
        *into += text;
        return into->size() <= size_t(kMaxCellText);
    };
    tSheetScanner scanner;
    return scanner.Run(stream, events);
}

}  // namespace kestrova::xlsx
