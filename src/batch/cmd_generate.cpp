#include "batch_commands.h"

#include <QTextStream>

namespace kestrova::batch {

int RunGenerate(const QStringList&) {
    QTextStream(stderr) << "kestrova-batch generate: not built yet\n";
    return 1;
}

}  // namespace kestrova::batch
