// The subcommands of kestrova-batch. Each takes the arguments after its name
// and returns the process exit code: 0 success, 1 usage, 2 a reported failure.
#pragma once

#include <QStringList>

namespace kestrova::batch {

int RunImport(const QStringList& args);
int RunCalc(const QStringList& args);
int RunGenerate(const QStringList& args);
int RunRender(const QStringList& args);
int RunReport(const QStringList& args);

}  // namespace kestrova::batch
