#include "core/import/import_messages.h"

#include "core/app/language_engine.h"

namespace kestrova {

QString FormatImportFailure(const tImportFailure& failure, TLanguageEngine& engine) {
    for (const auto& [name, value] : failure.Placeholders) engine.SetPlaceholder(name, value);
    if (failure.Key == QLatin1String("LoadData.IncorrectCellValue") || !failure.ReasonKey.isEmpty()) {
        const QString reason =
            failure.ReasonKey.isEmpty() ? QString() : QStringLiteral("\r\n") + engine.GetMessage(failure.ReasonKey);
        engine.SetPlaceholder(QStringLiteral("%CellValue%"), reason);
    }
    // A failure without a key of its own is a file that could not be opened.
    return engine.GetMessage(failure.Key.isEmpty() ? QStringLiteral("LoadData.FileOpenError") : failure.Key);
}

}  // namespace kestrova
