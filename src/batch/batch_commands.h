// The subcommands of kestrova-batch. Each takes the arguments after its name
// and returns the process exit code: 0 success, 1 usage, 2 a reported failure.
#pragma once

#include <QStringList>

namespace kestrova::batch {

int RunImport(const QStringList& args);
int RunCalc(const QStringList& args);
int RunGenerate(const QStringList& args);
int RunRender(const QStringList& args);
int RunExportGis(const QStringList& args);
// The road overview pictures (--view speed-profile|plan) of the render command.
bool IsOverviewView(const QStringList& args);
int RunRenderOverview(const QStringList& args);
// A km+ position given as metres ("12345.6") or km+ text ("12+345,60").
bool ParseKmArgument(const QString& text, double& metres);
int RunReport(const QStringList& args);

}  // namespace kestrova::batch
