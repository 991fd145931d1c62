// Crossroads and vegetation/buildings tables read against a valid road: any
// bytes end in a loaded table or one failure message, and a failed import
// leaves its table empty.
#include "fuzz_support.h"
#include "core/import/crossroads_import.h"
#include "core/import/greens_import.h"
#include "core/import/road_import.h"

#include <cstdlib>

namespace {

const kestrova::tRoadModel& LoadedRoad() {
    static const kestrova::tRoadModel road = [] {
        kestrova::tRoadModel model;
        const auto result = kestrova::ImportRoad(QStringLiteral(KESTROVA_SOURCE_DIR "/tests/data/import/road.csv"), model);
        if (!result.Success) std::abort();
        return model;
    }();
    return road;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const QString roadFile = QStringLiteral(KESTROVA_SOURCE_DIR "/tests/data/import/road.csv");
    const QString path = fuzz::WriteInput(QStringLiteral("table.csv"), data, size);

    tRoadModel model = LoadedRoad();
    const tImportResult greens = ImportGreens(roadFile, path, tSheetChoice::SeparateFile, model);
    if (!greens.Success && (model.Greens.Count() != 0 || greens.Failure.Key.isEmpty())) std::abort();

    const tImportResult crossroads = ImportCrossRoads(roadFile, path, tSheetChoice::SeparateFile, model);
    if (!crossroads.Success && (model.CrossRoads.Count() != 0 || crossroads.Failure.Key.isEmpty())) std::abort();
    for (const auto& road : model.CrossRoads.Roads)
        if (road.Count() < 2) std::abort();
    for (const auto& object : model.Greens.Objects)
        if (object.Count() < 3) std::abort();
    return 0;
}
