// Writing and reading a one-layer 6000 x 4000 project, against the plain way of doing the
// same job: a printf("%g,") loop that writes the same text and a strtod loop that reads it.
#include "base/host.h"
#include "document/image_document.h"
#include "io/open_series.h"
#include "io/project.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

std::string scratch(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("fringel-bench-" + name)).string();
}

// A connected-looking layer: values over many decades, as the merge produces.
fringel::ImageDocument& document() {
    static fringel::SilentHost host;
    static fringel::ImageDocument doc(host);
    if (doc.planes.length() == 0) {
        doc.resizePlanes(1, 1, kWidth, kHeight);
        std::mt19937 rng(1);
        std::uniform_real_distribution<float> u(0, 1);
        fringel::Plane& p = doc.planes[0][0];
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                p.row(y)[x] = std::pow(10.0f, 5 * u(rng)) * (1 + 0.01f * std::sin(x * 0.1f));
        doc.sizeLayerBitmaps(1);
        doc.bitmaps[0]->reset(kWidth, kHeight, fringel::PixelFormat::Bgr24);
    }
    return doc;
}

// Both writers start without an earlier file: freeing its pages is the file system's work,
// not the writer's, and varies a lot from run to run.
void removeOld(const std::string& name) {
    std::filesystem::remove(scratch(name + ".mdt"));
    std::filesystem::remove(scratch(name + "_0.bmp"));
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * 4);
    state.SetLabel("6000x4000, 1 layer");
}

void BM_ProjectWrite(benchmark::State& state) {
    fringel::ImageDocument& doc = document();
    fringel::SilentHost host;
    for (auto _ : state) {
        state.PauseTiming();
        removeOld("p");
        state.ResumeTiming();
        fringel::writeProject(host, doc, scratch("p"));
    }
    setBytes(state);
}
BENCHMARK(BM_ProjectWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProjectWritePrintfLoop(benchmark::State& state) {
    const fringel::Plane& p = document().planes[0][0];
    for (auto _ : state) {
        state.PauseTiming();
        removeOld("printf");
        state.ResumeTiming();
        std::FILE* f = std::fopen(scratch("printf.mdt").c_str(), "wb");
        std::fprintf(f, "1\n1,1,%d,%d\n0\n", kWidth, kHeight);
        for (int x = 0; x < kWidth; ++x) {
            for (int y = 0; y < kHeight; ++y)
                std::fprintf(f, "%g,", static_cast<double>(p.row(y)[x]));
            std::fputc('\n', f);
        }
        std::fclose(f);
    }
    setBytes(state);
}
BENCHMARK(BM_ProjectWritePrintfLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProjectRead(benchmark::State& state) {
    fringel::SilentHost host;
    fringel::writeProject(host, document(), scratch("p"));
    for (auto _ : state) {
        fringel::ImageDocument doc(host);
        fringel::NoOpenWindow window;
        fringel::readProject(doc, window, scratch("p.mdt"));
        benchmark::DoNotOptimize(doc.planes[0][0].row(0));
    }
    setBytes(state);
}
BENCHMARK(BM_ProjectRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProjectReadStrtodLoop(benchmark::State& state) {
    fringel::SilentHost host;
    fringel::writeProject(host, document(), scratch("p"));
    for (auto _ : state) {
        std::ifstream in(scratch("p.mdt"), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        const std::string text = s.str();
        fringel::Plane plane(kWidth, kHeight);
        const char* c = text.c_str();
        char* end = nullptr;
        for (int line = 0; line < 3; ++line) // the version, the sizes, the layer number
            c = std::strchr(c, '\n') + 1;
        for (int x = 0; x < kWidth; ++x)
            for (int y = 0; y < kHeight; ++y) {
                plane.row(y)[x] = static_cast<float>(std::strtod(c, &end));
                c = end + 1;
            }
        benchmark::DoNotOptimize(plane.row(0));
    }
    setBytes(state);
}
BENCHMARK(BM_ProjectReadStrtodLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
