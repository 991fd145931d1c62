// The text of an import's failure as the window shows it.
#pragma once

#include "core/import/import_result.h"

#include <QString>

namespace kestrova {

class TLanguageEngine;

// Sets the failure's placeholders in the engine, turns the reason key (if
// any) into CR LF + its text and puts that into "%CellValue%", then looks the
// message key up ("LoadData.FileOpenError" when the failure has none).
QString FormatImportFailure(const tImportFailure& failure, TLanguageEngine& engine);

}  // namespace kestrova
