// Settings files and language files: any bytes are read or rejected; lookups
// with placeholders always finish.
#include "core/util/ini_file.h"
#include "core/app/language_engine.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const QString path = fuzz::WriteInput(QStringLiteral("input.ini"), data, size);
    {
        TIniFile ini(path, true);
        for (const auto& [section, key] : ini.Entries()) {
            ini.ReadText(section, key, QString());
            ini.ReadNumber(section, key, 0);
        }
    }
    TLanguageEngine engine(QStringLiteral("Kestrova Language File"), QStringLiteral("Language"),
                           QStringLiteral("Signature"), QStringLiteral("Messages"));
    engine.SetLineBreakExpansion(true);
    engine.SetPlaceholderExpansion(true);
    engine.LoadLanguage(path);
    engine.SetPlaceholder(QStringLiteral("%FileName%"), QStringLiteral("%FileName% and %CellAddr%"));
    engine.SetPlaceholder(QStringLiteral("%CellAddr%"), QStringLiteral("%FileName%"));
    TIniFile ini(path, true);
    for (const auto& [section, key] : ini.Entries()) {
        engine.GetSectionText(section, key);
        engine.GetMessage(key);
    }
    return 0;
}
