// Median filter on 8-bit planes: Fringel's medianAllRows, a sort-per-window reference, and
// OpenCV's cv::medianBlur (when built with OpenCV) on the same data.
//
// Arguments: width, height, radius, content (0 = smooth picture plus noise, 1 = random bytes).
// Rates are in pixels per second (items) and bytes read per second.
#include "filters/median_kernel.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <random>
#include <vector>

#ifdef FRINGEL_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

std::vector<std::uint8_t> makePlane(int width, int height, bool random) {
    std::vector<std::uint8_t> plane(std::size_t(width) * height);
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255), noise(-20, 20);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v;
            if (random) {
                v = byte(rng);
            } else {
                // Bright disks on a ramp, like the spots of a diffraction picture, plus noise.
                const int dx = x % 200 - 100, dy = y % 160 - 80;
                v = 40 + (x + y) * 100 / (width + height) + (dx * dx + dy * dy < 2500 ? 80 : 0) +
                    noise(rng);
            }
            plane[std::size_t(y) * width + x] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
        }
    return plane;
}

void setRates(benchmark::State& state, int width, int height) {
    const std::int64_t pixels = std::int64_t{width} * height;
    state.SetItemsProcessed(state.iterations() * pixels);
    state.SetBytesProcessed(state.iterations() * pixels);
}

void BM_FringelMedian(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const int r = static_cast<int>(state.range(2));
    const std::vector<std::uint8_t> in = makePlane(w, h, state.range(3) != 0);
    std::vector<std::uint8_t> out(in.size());
    for (auto _ : state) {
        fringel::medianAllRows({in.data(), w, 1}, w, h, r, {out.data(), w, 1});
        benchmark::ClobberMemory();
    }
    setRates(state, w, h);
}

// Sorts each clipped window: the obvious method, for scale.
void BM_NaiveMedian(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const int r = static_cast<int>(state.range(2));
    const std::vector<std::uint8_t> in = makePlane(w, h, state.range(3) != 0);
    std::vector<std::uint8_t> out(in.size());
    std::vector<std::uint8_t> window;
    for (auto _ : state) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                window.clear();
                for (int yy = std::max(0, y - r); yy <= std::min(h - 1, y + r); ++yy)
                    for (int xx = std::max(0, x - r); xx <= std::min(w - 1, x + r); ++xx)
                        window.push_back(in[std::size_t(yy) * w + xx]);
                const auto k = static_cast<std::ptrdiff_t>((window.size() - 1) / 2);
                std::nth_element(window.begin(), window.begin() + k, window.end());
                out[std::size_t(y) * w + x] = window[static_cast<std::size_t>(k)];
            }
        benchmark::ClobberMemory();
    }
    setRates(state, w, h);
}

#ifdef FRINGEL_BENCH_OPENCV
// cv::medianBlur with ksize = 2r + 1. Its borders replicate the edge pixels, so border
// results differ from Fringel's clipped windows; interior pixels are the same.
void BM_OpenCvMedianBlur(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const int r = static_cast<int>(state.range(2));
    std::vector<std::uint8_t> in = makePlane(w, h, state.range(3) != 0);
    const cv::Mat src(h, w, CV_8UC1, in.data());
    cv::Mat dst(h, w, CV_8UC1);
    // Both must agree wherever the window lies inside the picture.
    cv::medianBlur(src, dst, 2 * r + 1);
    std::vector<std::uint8_t> ours(in.size());
    fringel::medianAllRows({in.data(), w, 1}, w, h, r, {ours.data(), w, 1});
    for (int y = r; y < h - r; ++y)
        for (int x = r; x < w - r; ++x)
            if (dst.at<std::uint8_t>(y, x) != ours[std::size_t(y) * w + x]) {
                state.SkipWithError("cv::medianBlur and Fringel differ inside the picture");
                return;
            }
    for (auto _ : state) {
        cv::medianBlur(src, dst, 2 * r + 1);
        benchmark::ClobberMemory();
    }
    setRates(state, w, h);
}
#endif

void MedianArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "r", "random"});
    for (const int random : {0, 1})
        for (const auto& size : {std::pair{640, 480}, std::pair{3000, 2000}})
            for (const int r : {1, 2, 5, 25, 100})
                b->Args({size.first, size.second, r, random});
}

void NaiveArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "r", "random"});
    for (const int random : {0, 1})
        for (const int r : {1, 5})
            b->Args({640, 480, r, random});
}

BENCHMARK(BM_FringelMedian)->Apply(MedianArgs)->Unit(benchmark::kMillisecond)->UseRealTime();
#ifdef FRINGEL_BENCH_OPENCV
BENCHMARK(BM_OpenCvMedianBlur)->Apply(MedianArgs)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif
BENCHMARK(BM_NaiveMedian)->Apply(NaiveArgs)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
