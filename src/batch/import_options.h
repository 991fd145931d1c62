// The import options shared by the import, calc and render subcommands:
//   --road FILE [--crossroads FILE | --crossroads-sheet 2|3]
//   [--greens FILE | --greens-sheet 2|3] [--lang FILE.lng] [--json-errors]
// and the run of the three imports in the order the developer shortcut uses:
// road, vegetation/buildings, crossroads.
#pragma once

#include "core/app/language_engine.h"
#include "core/import/import_result.h"
#include "core/model/road_model.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

namespace kestrova::batch {

struct tImportOptions {
    QString Road;
    QString CrossFile;
    std::optional<tSheetChoice> Cross;    // none: no crossroads table
    QString GreensFile;
    std::optional<tSheetChoice> Greens;   // none: no vegetation/buildings table
    QString Lang;                         // empty: LANG/English.lng next to the executable
    bool JsonErrors = false;
};

struct tImportCounts {
    int Profiles = 0;
    int Objects = 0;
    int CrossRoads = 0;
};

// The usage lines of the import options.
QString ImportOptionsUsage();

// Takes "--name VALUE" out of args; false (with error set) when the value is
// missing or the option is given twice. Shared by the subcommands' own options.
bool TakeValue(QStringList& args, const QString& name, QString& value, bool& given, QString& error);

// A picture size "WxH", each from 16 to 10000 pixels, as the render options take it.
bool ParsePictureSize(const QString& text, QSize& size);

// Takes the import options out of args and leaves every other argument in
// place for the caller. False, with a reason in error, when an option lacks
// its value, a value is not allowed, an option is given twice or --road is
// missing.
bool TakeImportOptions(QStringList& args, tImportOptions& options, QString& error);

// After a subcommand has taken its options: false, with a reason in error,
// when an argument is left over or the required option was not given.
bool CheckArgumentsDone(const QStringList& args, const QString& required, bool given, QString& error);

// The language file the messages are taken from.
QString LanguageFile(const tImportOptions& options);

// The language engine with that file loaded; none, with the reason written to
// stderr as "kestrova-batch COMMAND: ...", when the file cannot be loaded.
std::optional<TLanguageEngine> LoadBatchLanguage(const tImportOptions& options, const QString& command);

// Runs the imports into model. Returns 0 on success; at the first failure
// writes the message (the window's text in the chosen language, or a JSON
// object with --json-errors) to stderr and returns 2.
int RunImports(const tImportOptions& options, tRoadModel& model, tImportCounts* counts = nullptr);

// The failure as the JSON object of --json-errors:
// {"key": "...", "reason": "..." or null, "placeholders": {"%CellAddr%": "C15", ...}}
QByteArray FailureJson(const tImportFailure& failure);

}  // namespace kestrova::batch
