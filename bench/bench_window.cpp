// The window's own load and calculation on a generated 100 km road (5 m
// spacing, seed 1) written as CSV files: the three imports as the load
// buttons run them, and the developer button "Load all && calc" until the
// results are on screen. Message boxes go nowhere. Compare the import with
// `kestrova-batch import` on the same files.
#include "core/calc/calc_run.h"
#include "core/generate/road_generator.h"
#include "gui/app/app_object.h"
#include "gui/app/main_form.h"
#include "gui/pages/grid_page.h"
#include "gui/pages/load_page.h"
#include "gui/views/string_grid.h"
#include "quiet_seam.h"
#include "qt_bench_main.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace kestrova {
namespace {

struct tRoadFiles {
    QTemporaryDir Dir;
    QString Ini;
    QString Road() const { return Dir.filePath(QStringLiteral("road.csv")); }
    QString Cross() const { return Dir.filePath(QStringLiteral("crossroads.csv")); }
    QString Greens() const { return Dir.filePath(QStringLiteral("greens.csv")); }
};

const tRoadFiles& Files() {
    static tRoadFiles* files = [] {
        static TQuietSeam seam;
        SetUiSeam(&seam);
        auto* f = new tRoadFiles;
        QString error;
        if (!WriteGeneratedCsv(GenerateRoad({100.0, 5.0, 1}), f->Dir.path(), error)) qFatal("%s", qPrintable(error));
        f->Ini = f->Dir.filePath(QStringLiteral("Kestrova.ini"));
        QFile ini(f->Ini);
        ini.open(QIODevice::WriteOnly);
        ini.write("[MainForm.Components]\r\nedLang=ENGLISH\r\n");
        return f;
    }();
    return *files;
}

// A started window with the three file names entered.
std::unique_ptr<TMainForm> NewWindow() {
    const tRoadFiles& f = Files();
    auto form = std::make_unique<TMainForm>(tMainFormSetup{QString(), f.Ini});
    form->show();
    QElapsedTimer t;
    t.start();
    while (!form->Started() && t.elapsed() < 10000) QCoreApplication::processEvents();
    form->LoadPage()->Ui().edOpenXL->setText(f.Road());
    form->LoadPage()->Ui().edOpenCrossXL->setText(f.Cross());
    form->LoadPage()->Ui().edOpenGreenXL->setText(f.Greens());
    return form;
}

double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

void Measure(benchmark::State& state, bool calc) {
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TMainForm> form = NewWindow();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        const double cpu0 = CpuSeconds();
        if (calc) {
            form->LoadPage()->_x_TestButtonClick();
        } else {
            form->LoadPage()->btLoadData__MainClick();
            form->LoadPage()->btLoadData__GreenClick();
            form->LoadPage()->btLoadData__CrossClick();
        }
        QCoreApplication::processEvents();  // the results painted
        cpu += CpuSeconds() - cpu0;
        state.PauseTiming();
        state.counters["profiles"] = form->Model().Plan.Count();
        if (calc) state.counters["pivot_rows"] = form->Model().Pivot.Count();
        form.reset();
        state.ResumeTiming();
    }
    state.counters["cpu_s"] = cpu / double(state.iterations());
}

// Where the time of the button goes (CPU seconds of the process): the
// calculation alone on the imported model, then the window's steps after it
// once more on the calculated window.
void BM_WindowPhases(benchmark::State& state) {
    double calc = 0, fill = 0, language = 0, tab = 0;
    for (auto _ : state) {
        std::unique_ptr<TMainForm> form = NewWindow();
        form->LoadPage()->btLoadData__MainClick();
        form->LoadPage()->btLoadData__GreenClick();
        form->LoadPage()->btLoadData__CrossClick();
        tRoadModel copy = form->Model();
        double t = CpuSeconds();
        RunCalculation(copy, tProgress(), tCalcEngine::Fast, tCalcHooks());
        calc += CpuSeconds() - t;
        form->btStartCalcClick();
        QCoreApplication::processEvents();
        t = CpuSeconds();
        form->FillGrids();
        fill += CpuSeconds() - t;
        t = CpuSeconds();
        form->ApplyLanguage();
        language += CpuSeconds() - t;
        form->SelectTab(form->TabIndex().About);
        QCoreApplication::processEvents();
        t = CpuSeconds();
        form->SelectTab(form->TabIndex().DraftSpeeds);
        form->GridPage(tGridId::DraftV)->Ui().Grid->viewport()->repaint();
        tab += CpuSeconds() - t;
    }
    const double n = double(state.iterations());
    state.counters["calc_cpu_s"] = calc / n;
    state.counters["fill_grids_cpu_s"] = fill / n;
    state.counters["apply_language_cpu_s"] = language / n;
    state.counters["show_speeds_cpu_s"] = tab / n;
}

void BM_WindowImportAll(benchmark::State& s) { Measure(s, false); }
void BM_WindowLoadAllAndCalc(benchmark::State& s) { Measure(s, true); }

BENCHMARK(BM_WindowPhases)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_WindowImportAll)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_WindowLoadAllAndCalc)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace kestrova

int main(int argc, char** argv) { return kestrova::RunQtBenchmarks<kestrova::TKestrovaApplication>(argc, argv); }
