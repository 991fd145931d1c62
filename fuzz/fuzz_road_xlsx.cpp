// Workbooks (.xlsx: zip and XML) through the road importer: any bytes end in a loaded road or one failure message, never a crash.
#include "fuzz_support.h"
#include "core/import/road_import.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const QString path = fuzz::WriteInput(QStringLiteral("road.xlsx"), data, size);
    tRoadModel model;
    const tImportResult result = ImportRoad(path, model, {});
    // A success always leaves a usable road; a failure always names its message.
    if (result.Success ? model.Plan.Count() < 3 : result.Failure.Key.isEmpty()) std::abort();
    return 0;
}
