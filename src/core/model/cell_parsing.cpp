#include "core/model/cell_parsing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace kestrova {

QString StripQuotes(const QString& text) {
    if (text.size() > 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"'))
        return text.mid(1, text.size() - 2);
    return text;
}

QString ColumnLetters(int column, bool withNumber) {
    QString letters;
    if (column >= 1 && column <= 26) {
        letters = QChar(QLatin1Char(char('A' + column - 1)));
    } else if (column >= 27 && column <= 702) {
        const int first = (column - 1) / 26;
        const int second = (column - 1) % 26 + 1;
        letters = QChar(QLatin1Char(char('A' + first - 1)));
        letters += QChar(QLatin1Char(char('A' + second - 1)));
    }
    if (withNumber) letters += QLatin1Char('(') + QString::number(column) + QLatin1Char(')');
    return letters;
}

QString NormaliseNumberText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char(' ')) continue;
        out += (c == QLatin1Char(',')) ? QChar(QLatin1Char('.')) : c;
    }
    return out;
}

namespace {

// ASCII bytes of a text, or false when it holds anything else (non-ASCII
// digits and letters never form a number here).
bool AsciiBytes(const QString& text, std::string* bytes) {
    bytes->clear();
    bytes->reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() == 0 || c.unicode() > 0x7F) return false;
        bytes->push_back(char(c.unicode()));
    }
    return true;
}

// Drops one leading "+" (from_chars does not take it) unless a sign follows.
const char* SkipPlus(const char* first, const char* last) {
    if (first != last && *first == '+' && first + 1 != last && first[1] != '-' && first[1] != '+')
        return first + 1;
    return first;
}

bool BytesToInt32(const char* first, const char* last, int32_t* out) {
    if (first == last) return false;
    first = SkipPlus(first, last);
    int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || ptr != last) return false;
    *out = value;
    return true;
}

bool BytesToFiniteReal(const char* first, const char* last, double* out) {
    if (first == last) return false;
    first = SkipPlus(first, last);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) return false;
    *out = value;
    return true;
}

// A cell's bytes with blanks dropped and "," made ".", in a buffer that only
// reaches the heap for long cells. False when a byte can never be part of a
// number (a zero byte or one beyond ASCII).
class tNumberBytes {
public:
    bool Take(std::string_view text) {
        char* out = Small;
        if (text.size() > sizeof(Small)) {
            Large.resize(text.size());
            out = Large.data();
        }
        Data = out;
        for (const char c : text) {
            if (c == 0 || static_cast<unsigned char>(c) > 0x7F) return false;
            if (c == ' ') continue;
            *out++ = c == ',' ? '.' : c;
        }
        End = out;
        return true;
    }
    const char* Data = nullptr;
    const char* End = nullptr;

private:
    char Small[64];
    std::string Large;
};

int32_t ParseIntNormalised(const char* first, const char* last, int32_t def) {
    const char* sep = std::find(first, last, '.');
    int32_t result = def;
    if (sep == last) return BytesToInt32(first, last, &result) ? result : def;

    double real = 0;
    if (!BytesToFiniteReal(first, last, &real) || real != std::trunc(real)) return def;
    // The whole part is taken from the text itself, so a sign before a decimal
    // form ("0-5") fails. It must also agree with the real value, which keeps
    // exponent forms such as 1.5e1 from being read as 1.
    std::string whole(1, '0');
    whole.append(first, sep);
    if (!BytesToInt32(whole.data(), whole.data() + whole.size(), &result)) return def;
    return double(result) == real ? result : def;
}

}  // namespace

bool ToInt32(const QString& text, int32_t* out) {
    std::string bytes;
    if (!AsciiBytes(text, &bytes)) return false;
    return BytesToInt32(bytes.data(), bytes.data() + bytes.size(), out);
}

bool ToFiniteReal(const QString& text, double* out) {
    std::string bytes;
    if (!AsciiBytes(text, &bytes)) return false;
    return BytesToFiniteReal(bytes.data(), bytes.data() + bytes.size(), out);
}

int32_t ParseIntBytes(std::string_view text, int32_t def) {
    tNumberBytes n;
    if (!n.Take(text)) return def;
    return ParseIntNormalised(n.Data, n.End, def);
}

double ParseRealBytes(std::string_view text, double def) {
    tNumberBytes n;
    double value = def;
    if (!n.Take(text)) return def;
    return BytesToFiniteReal(n.Data, n.End, &value) ? value : def;
}

int32_t ParseIntCell(const QString& text, int32_t def) {
    std::string bytes;
    if (!AsciiBytes(text, &bytes)) return def;
    return ParseIntBytes(bytes, def);
}

double ParseRealCell(const QString& text, double def) {
    std::string bytes;
    if (!AsciiBytes(text, &bytes)) return def;
    return ParseRealBytes(bytes, def);
}

}  // namespace kestrova
