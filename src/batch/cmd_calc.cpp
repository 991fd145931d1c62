#include "batch_commands.h"

#include <QTextStream>

namespace kestrova::batch {

int RunCalc(const QStringList&) {
    QTextStream(stderr) << "kestrova-batch calc: not built yet\n";
    return 1;
}

}  // namespace kestrova::batch
