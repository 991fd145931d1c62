// kestrova-batch: the core without a window, for batch work, tests and benchmarks.
#include "batch/batch_commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

void PrintUsage() {
    QTextStream err(stderr);
    err << "usage: kestrova-batch import|calc|generate|render|report|export-gis [options]\n"
           "  import   --road FILE [--crossroads FILE | --crossroads-sheet 2|3]\n"
           "           [--greens FILE | --greens-sheet 2|3] [--lang FILE.lng] [--json-errors]\n"
           "  calc     the import options, --out DIR [--locale NAME] [--engine reference]\n"
           "  generate --km L --spacing S --seed N --out DIR [--xlsx]\n"
           "  render   the import options, --view forward|backward|cross-profile|crossroads\n"
           "           --profile I [--crossroad C --direction fwd|rev] [--look-height 0..3]\n"
           "           [--no-look-lines] [--crop-30m] [--size WxH] --png FILE\n"
           "  render   the import options, --view speed-profile|plan [--from KM --to KM]\n"
           "           [--factors LIST] [--colour-by min-speed|verdict] [--size WxH]\n"
           "           (--png FILE | --svg FILE)\n"
           "  report   the import options, --pdf FILE [--km-per-page N] [--views]\n"
           "  export-gis the import options, --out FILE.gpkg|FILE.geojson [--crs EPSG:NNNN]\n"
           "           [--layers profiles,segments,crossroads,sight_hidden,objects]\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage();
        return 1;
    }
    const QByteArray command = argv[1];
    // Rendering needs fonts and images, so it gets a GUI application on the
    // offscreen platform; everything else runs on a plain core application.
    std::unique_ptr<QCoreApplication> app;
    if (command == "render" || command == "report") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments().mid(2);
    using namespace kestrova::batch;
    if (command == "import") return RunImport(args);
    if (command == "calc") return RunCalc(args);
    if (command == "generate") return RunGenerate(args);
    if (command == "render") return RunRender(args);
    if (command == "report") return RunReport(args);
    if (command == "export-gis") return RunExportGis(args);
    PrintUsage();
    return 1;
}
