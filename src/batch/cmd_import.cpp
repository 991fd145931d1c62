#include "batch_commands.h"

#include <QTextStream>

namespace kestrova::batch {

int RunImport(const QStringList&) {
    QTextStream(stderr) << "kestrova-batch import: not built yet\n";
    return 1;
}

}  // namespace kestrova::batch
