// Short texts a user or a file hands over: the km+ search box, stored about
// texts and the developer's version file. None may crash or hang.
#include "core/util/text_codec.h"
#include "core/app/version_stamp.h"
#include "core/export/km_search.h"
#include "fuzz_support.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = QString::fromUtf8(bytes);

    double position = 0;
    if (ParseSearchKmPlus(text, position) && !std::isfinite(position)) std::abort();
    NormaliseKmField(text);

    const QString key = QStringLiteral("KESTRV");
    DecodeText(text, key);
    if (DecodeText(EncodeText(text, key), key) != text) std::abort();

    const QString versionFile = fuzz::WriteInput(QStringLiteral("KestrovaVersion"), data, size);
    StampVersion(versionFile, QStringLiteral("c_ProgVersion"), 0);
    return 0;
}
