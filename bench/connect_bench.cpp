// Connecting 3, 5 and 10 exposures of 6000 x 4000: the Green single-channel merge and the
// three-channel merge, against a straightforward single-threaded loop of the same formula.
// Bytes processed count the exposure bytes read, to compare with the memory bandwidth.
#include "base/host.h"
#include "connect/con_img.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// Exposures one stop apart of a smooth pattern with noise, kept for all runs.
const std::vector<fringel::BitmapRef>& exposures(int n) {
    static std::vector<fringel::BitmapRef> cache;
    while (static_cast<int>(cache.size()) < n) {
        const int i = static_cast<int>(cache.size());
        auto b = std::make_shared<fringel::Bitmap>(kWidth, kHeight, fringel::PixelFormat::Bgr24);
        std::mt19937 rng(static_cast<unsigned>(i));
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = b->row(y);
            for (int x = 0; x < kWidth * 3; ++x) {
                const double level =
                    (1 << i) * (20.0 + 15.0 * std::sin(x * 0.01) * std::cos(y * 0.013));
                row[x] = static_cast<std::uint8_t>(std::min(255.0, level + (rng() & 7)));
            }
        }
        cache.push_back(std::move(b));
    }
    return cache;
}

void loadBuffer(fringel::ImageDocument& doc, int n) {
    const auto& all = exposures(n);
    doc.bufferBitmaps.setLength(n);
    for (int i = 0; i < n; ++i)
        doc.bufferBitmaps[i] = all[static_cast<std::size_t>(i)];
    doc.planes.setLength(0);
}

void BM_Connect(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const bool rgb = state.range(1) != 0;
    fringel::SilentHost host;
    fringel::ImageDocument doc(host);
    doc.timeIndex = 5;
    doc.cutoffLow = 0;
    doc.cutoffTop = 190;
    fringel::ConnectSettings settings;
    settings.colorOrder = rgb ? 3 : 1;
    // One untimed run first: the first touch of fresh memory on a virtual machine costs far
    // more than the merge and is not what a user sees on the second connect of a session.
    loadBuffer(doc, n);
    fringel::conImg(host).connectExposures(doc, settings);
    for (auto _ : state) {
        state.PauseTiming();
        loadBuffer(doc, n);
        state.ResumeTiming();
        fringel::conImg(host).connectExposures(doc, settings);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{kWidth} * kHeight);
    state.SetBytesProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * 3 * n);
}
BENCHMARK(BM_Connect)
    ->ArgsProduct({{3, 5, 10}, {0, 1}})
    ->ArgNames({"exposures", "rgb"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The formula written the plain way: one pixel at a time, one thread, then the scaling.
void BM_ConnectPlainLoop(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto& all = exposures(n);
    fringel::SilentHost host;
    fringel::ImageDocument doc(host);
    doc.timeIndex = 5;
    std::vector<float> linear(std::size_t{kWidth} * kHeight);
    std::vector<float> display(std::size_t{kWidth} * kHeight);
    for (auto _ : state) {
        const double inverse = 1.0 / doc.exposureTimes[doc.timeIndex];
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                double sum = 0;
                std::int32_t count = 0;
                for (int i = 0; i < n; ++i)
                    fringel::accumulateSample(all[i]->row(y)[3 * x + 1], sum, count, 0, 190,
                                              doc.timeIndex, i, doc.exposureTimes);
                const auto at = static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x);
                linear[at] = display[at] = 0;
                if (count > 0) {
                    const double e = sum / count;
                    linear[at] = static_cast<float>(e);
                    display[at] = static_cast<float>(std::log(inverse * e));
                }
            }
        float max = 0, min = 1000000;
        for (const float v : display) {
            max = v > max ? v : max;
            min = v < min ? v : min;
        }
        const auto scale = static_cast<float>((double(max) - min) / 255.0);
        for (float& v : display)
            v = static_cast<float>((double(v) - min) / scale);
        benchmark::DoNotOptimize(display.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{kWidth} * kHeight);
    state.SetBytesProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * 3 * n);
}
BENCHMARK(BM_ConnectPlainLoop)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
