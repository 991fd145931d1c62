// kestrova-batch import: loads the road (and optionally the vegetation/buildings
// and crossroads) tables and prints what was loaded.
#include "batch/batch_commands.h"
#include "batch/import_options.h"

#include <QTextStream>

namespace kestrova::batch {

int RunImport(const QStringList& arguments) {
    QStringList args = arguments;
    tImportOptions options;
    QString error;
    const bool ok = TakeImportOptions(args, options, error);
    if (ok && !args.isEmpty()) error = QStringLiteral("unknown argument ") + args.first();
    if (!ok || !args.isEmpty()) {
        QTextStream(stderr) << "kestrova-batch import: " << error << "\nusage: kestrova-batch import\n"
                            << ImportOptionsUsage();
        return 1;
    }
    tRoadModel model;
    tImportCounts counts;
    const int code = RunImports(options, model, &counts);
    if (code != 0) return code;
    QTextStream out(stdout);
    out << "profiles " << counts.Profiles << '\n'
        << "objects " << counts.Objects << '\n'
        << "crossroads " << counts.CrossRoads << '\n';
    return 0;
}

}  // namespace kestrova::batch
