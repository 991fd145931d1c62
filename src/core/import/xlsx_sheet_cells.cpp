#include "core/import/xlsx_sheet_cells.h"


namespace kestrova::xlsx {

bool ToNumber(const QString& text, double& v) {
    if (PlainNumber(text, v)) return true;
    if (!text.isEmpty() && text.size() <= kPlainNumberMax)
        for (QChar c : text)
            if (c.unicode() > 0x7F) return false;
    bool ok = false;
    v = text.trimmed().toDouble(&ok);  // blanks or other rare forms
    return ok;
}

}  // namespace kestrova::xlsx
