#include "batch_commands.h"

#include <QTextStream>

namespace kestrova::batch {

int RunRender(const QStringList&) {
    QTextStream(stderr) << "kestrova-batch render: not built yet\n";
    return 1;
}

}  // namespace kestrova::batch
