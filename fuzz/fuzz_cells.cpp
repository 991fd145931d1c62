// The text side of a table: file decoding and the cell parsers never crash and
// never return a value the importers cannot handle.
#include "core/util/text_decoding.h"
#include "core/model/cell_parsing.h"
#include "core/model/road_text.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = DecodeFileText(bytes);
    const double real = ParseRealCell(text, -666);
    if (!std::isfinite(real)) std::abort();  // the importers rely on finite numbers
    ParseIntCell(text, -666);
    ParseRoadCategory(text);
    ParseYesNo(text);
    ParseYesNo(text, QStringLiteral("-666"));
    StripQuotes(text);
    FormatKmPlus(true, real);
    FormatKmPlus(false, real);
    return 0;
}
