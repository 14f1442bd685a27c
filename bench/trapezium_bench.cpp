// The trapezium simulation at spacing 1: the 601 x 601 grid (90 601 whole-order and 90 000
// half-order cells) and its 600 x 600 picture with the window's drawing options.
#include "trapez/trapezium_drawing.h"
#include "trapez/trapezium_model.h"

#include <benchmark/benchmark.h>

namespace {

fringel::TrapeziumInput finestGrid() {
    fringel::TrapeziumInput input;
    input.spacing = 1;
    return input;
}

void BM_TrapeziumGrid(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(fringel::computeTrapeziumModel(finestGrid()));
    state.SetItemsProcessed(state.iterations() * (601 * 601 / 2 + 1));
    state.SetLabel("601x601 cells");
}
BENCHMARK(BM_TrapeziumGrid)->Unit(benchmark::kMillisecond);

void BM_TrapeziumPicture(benchmark::State& state) {
    const fringel::TrapeziumModel model = fringel::computeTrapeziumModel(finestGrid());
    fringel::Bitmap picture(600, 600);
    for (auto _ : state)
        benchmark::DoNotOptimize(fringel::drawSimulation(picture, model, {}));
    state.SetLabel("600x600, spacing 1");
}
BENCHMARK(BM_TrapeziumPicture)->Unit(benchmark::kMillisecond);

} // namespace
