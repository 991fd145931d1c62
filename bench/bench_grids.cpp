// The result grids of the window on a generated 100 km road: filling every
// grid model from the text layer, and switching to a grid tab (fitting the
// columns to the texts and painting the visible cells).
#include "gui/app/app_object.h"
#include "gui/app/main_form.h"
#include "core/calc/calc_run.h"
#include "core/generate/road_generator.h"
#include "gui/pages/grid_page.h"
#include "gui/views/string_grid.h"
#include "quiet_seam.h"
#include "qt_bench_main.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace kestrova {
namespace {

struct tBenchWindow {
    QTemporaryDir Dir;
    std::unique_ptr<TMainForm> Form;
};

// One window with a 100 km road (10 m spacing) calculated, built on first use.
tBenchWindow& Window() {
    static tBenchWindow* w = [] {
        static TQuietSeam seam;
        SetUiSeam(&seam);
        auto* b = new tBenchWindow;
        QFile ini(b->Dir.filePath(QStringLiteral("Kestrova.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write("[MainForm.Components]\r\nedLang=ENGLISH\r\n");
        ini.close();
        b->Form = std::make_unique<TMainForm>(tMainFormSetup{QString(), ini.fileName()});
        b->Form->show();
        QElapsedTimer t;
        t.start();
        while (!b->Form->Started() && t.elapsed() < 10000) QCoreApplication::processEvents();
        b->Form->Model() = BuildRoadModel(GenerateRoad({100.0, 10.0, 1}));
        b->Form->btStartCalcClick();
        return b;
    }();
    return *w;
}

void BM_FillAllGridModels(benchmark::State& state) {
    TMainForm& f = *Window().Form;
    for (auto _ : state) {
        f.FillGrids();
        benchmark::DoNotOptimize(f.GridPage(tGridId::DraftV)->Ui().Grid->Cells(1, 1));
    }
    state.counters["profiles"] = f.Model().Plan.Count();
    state.counters["pivot_rows"] = f.Model().Pivot.Count();
}

void SwitchTo(benchmark::State& state, int TMainForm::tTabIndex::*tab, tGridId id) {
    TMainForm& f = *Window().Form;
    TStringGrid* grid = f.GridPage(id)->Ui().Grid;
    for (auto _ : state) {
        state.PauseTiming();
        f.SelectTab(f.TabIndex().About);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        f.SelectTab(f.TabIndex().*tab);
        grid->viewport()->repaint();
    }
    state.counters["rows"] = grid->RowCount();
}

void BM_SwitchToFactorSpeeds(benchmark::State& s) { SwitchTo(s, &TMainForm::tTabIndex::DraftSpeeds, tGridId::DraftV); }
void BM_SwitchToSourceData(benchmark::State& s) { SwitchTo(s, &TMainForm::tTabIndex::SourceGrid, tGridId::SourceData); }
void BM_SwitchToPivot(benchmark::State& s) { SwitchTo(s, &TMainForm::tTabIndex::PivotGrid, tGridId::PivotData); }

void BM_ScrollFactorSpeeds(benchmark::State& state) {
    TMainForm& f = *Window().Form;
    f.SelectTab(f.TabIndex().DraftSpeeds);
    int row = 1;
    for (auto _ : state) {
        row = row + 997 < f.GridPage(tGridId::DraftV)->Ui().Grid->RowCount() ? row + 997 : 1;
        f.GridPage(tGridId::DraftV)->Ui().Grid->SetRow(row);
        f.GridPage(tGridId::DraftV)->Ui().Grid->viewport()->repaint();
    }
}

BENCHMARK(BM_FillAllGridModels)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SwitchToFactorSpeeds)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SwitchToSourceData)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SwitchToPivot)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ScrollFactorSpeeds)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace kestrova

int main(int argc, char** argv) { return kestrova::RunQtBenchmarks<kestrova::TKestrovaApplication>(argc, argv); }
