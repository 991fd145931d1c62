// Reading settings and language files: whole-file parse and key lookups.
#include "core/util/ini_file.h"
#include "core/app/language_engine.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kestrova;

namespace {

// A file of about `megabytes` MB: one section of `keys` keys, then filler sections.
QString MakeFile(const QTemporaryDir& dir, int megabytes, int keys) {
    QByteArray bytes = "[Big]\r\n";
    for (int i = 0; i < keys; ++i) bytes += "key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + "\r\n";
    const QByteArray filler = "[Filler]\r\nname=" + QByteArray(200, 'v') + "\r\n";
    while (bytes.size() < qsizetype(megabytes) * 1024 * 1024) bytes += filler;
    const QString path = dir.filePath("bench.ini");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

void BM_LoadFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = MakeFile(dir, static_cast<int>(state.range(0)), 1000);
    for (auto _ : state) {
        TIniFile ini(path, true);
        benchmark::DoNotOptimize(ini.IsLoaded());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 1024 * 1024);
}
BENCHMARK(BM_LoadFile)->Arg(1)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_LookupAllKeys(benchmark::State& state) {
    QTemporaryDir dir;
    const int keys = static_cast<int>(state.range(0));
    const QString path = MakeFile(dir, 0, keys);
    TIniFile ini(path, true);
    QStringList names;
    for (int i = 0; i < keys; ++i) names << QStringLiteral("KEY%1").arg(keys - 1 - i);  // against the file order
    for (auto _ : state)
        for (const QString& name : names) benchmark::DoNotOptimize(ini.ReadText(QStringLiteral("big"), name, QString()));
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_LookupAllKeys)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_MessageWithPlaceholders(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("English.lng");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("[Language]\r\nSignature=Kestrova Language File\r\n[Messages]\r\n"
                "M=Incorrect value in cell %CellAddr% of %FileName%.%CellValue%\\nRow %RowNumber%\r\n");
    f.close();
    TLanguageEngine engine = MakeKestrovaLanguageEngine();
    engine.LoadLanguage(path);
    engine.SetPlaceholder("%FileName%", "road.xlsx");
    engine.SetPlaceholder("%CellAddr%", "C12");
    engine.SetPlaceholder("%CellValue%", "\r\nThe share of cars must be a number from 0 to 1.");
    engine.SetPlaceholder("%RowNumber%", "12");
    for (auto _ : state) benchmark::DoNotOptimize(engine.GetMessage("M"));
}
BENCHMARK(BM_MessageWithPlaceholders);

}  // namespace

BENCHMARK_MAIN();
