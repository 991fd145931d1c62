#include "import/cell_parsing.h"

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

}  // namespace

bool ToInt32(const QString& text, int32_t* out) {
    std::string bytes;
    if (!AsciiBytes(text, &bytes) || bytes.empty()) return false;
    const char* last = bytes.data() + bytes.size();
    const char* first = SkipPlus(bytes.data(), last);
    int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || ptr != last) return false;
    *out = value;
    return true;
}

bool ToFiniteReal(const QString& text, double* out) {
    std::string bytes;
    if (!AsciiBytes(text, &bytes) || bytes.empty()) return false;
    const char* last = bytes.data() + bytes.size();
    const char* first = SkipPlus(bytes.data(), last);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) return false;
    *out = value;
    return true;
}

int32_t ParseIntCell(const QString& text, int32_t def) {
    const QString t = NormaliseNumberText(text);
    const qsizetype sep = t.indexOf(QLatin1Char('.'));
    int32_t result = def;
    if (sep < 0) return ToInt32(t, &result) ? result : def;

    double real = 0;
    if (!ToFiniteReal(t, &real) || real != std::trunc(real)) return def;
    // The whole part is taken from the text itself, so a sign before a decimal
    // form ("0-5") fails. It must also agree with the real value, which keeps
    // exponent forms such as 1.5e1 from being read as 1.
    if (!ToInt32(QLatin1Char('0') + t.left(sep), &result)) return def;
    return double(result) == real ? result : def;
}

double ParseRealCell(const QString& text, double def) {
    double value = def;
    return ToFiniteReal(NormaliseNumberText(text), &value) ? value : def;
}

}  // namespace kestrova
