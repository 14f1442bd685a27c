// renderLayer at camera size (6000 x 4000), one channel (Standard) and three (Photo).
#include "base/host.h"
#include "document/render.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RenderLayer(benchmark::State& state) {
    const bool photo = state.range(0) != 0;
    fringel::SilentHost host;
    fringel::ImageDocument doc(host);
    const int channels = photo ? 3 : 1;
    doc.resizePlanes(1, channels, 6000, 4000);
    for (int c = 0; c < channels; ++c)
        for (int y = 0; y < 4000; ++y) {
            float* row = doc.planes[0][c].row(y);
            for (int x = 0; x < 6000; ++x)
                row[x] = static_cast<float>((x + y + c) % 300);
        }
    doc.photoMode = photo;
    fringel::Bitmap target(6000, 4000);
    for (auto _ : state) {
        fringel::renderLayer(doc, 0, 0, 0, target);
        benchmark::ClobberMemory();
    }
    // Bytes read (floats) plus bytes written (24-bit pixels).
    const std::int64_t perRun = std::int64_t{6000} * 4000 * (4 * channels + 3);
    state.SetBytesProcessed(state.iterations() * perRun);
}
BENCHMARK(BM_RenderLayer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyRegion(benchmark::State& state) {
    fringel::SilentHost host;
    const fringel::Bitmap source(6000, 4000, fringel::PixelFormat::Gray8);
    fringel::Bitmap dest(6000, 4000);
    for (auto _ : state) {
        fringel::copyRegion(host, 0, 0, 6000, 4000, source, dest);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t{6000} * 4000 * 4);
}
BENCHMARK(BM_CopyRegion)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
