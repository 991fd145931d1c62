#include "core/import/xlsx_sheet_cells.h"

#include <charconv>

namespace kestrova::xlsx {

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

}  // namespace kestrova::xlsx
