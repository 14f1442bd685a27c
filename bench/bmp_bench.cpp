// BMP decoding and encoding at camera size (6000 x 4000), in memory, so the figure is the
// codec's own speed and not the disk's.
#include "image/bmp_codec.h"

#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

fringel::Bitmap cameraPicture(fringel::PixelFormat format) {
    fringel::Bitmap b(6000, 4000, format);
    for (int y = 0; y < b.height(); ++y)
        for (std::int64_t i = 0; i < b.stride(); ++i)
            b.row(y)[i] = static_cast<std::uint8_t>(i * 7 + y);
    return b;
}

void BM_DecodeBmp(benchmark::State& state) {
    const auto format = static_cast<fringel::PixelFormat>(state.range(0));
    const std::vector<std::uint8_t> file = fringel::encodeBmp(cameraPicture(format));
    for (auto _ : state)
        benchmark::DoNotOptimize(fringel::decodeBmp(file, "bench.bmp"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_DecodeBmp)
    ->Arg(static_cast<int>(fringel::PixelFormat::Gray8))
    ->Arg(static_cast<int>(fringel::PixelFormat::Bgr24))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Reading a file from disk (from the page cache after the first run): the decoder plus the
// read, as when a series is opened.
void BM_ReadBmpFile(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "fringel-bench.bmp").string();
    fringel::writeBmp(cameraPicture(fringel::PixelFormat::Bgr24), path);
    const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
    for (auto _ : state)
        benchmark::DoNotOptimize(fringel::readBmp(path));
    state.SetBytesProcessed(state.iterations() * bytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadBmpFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodeBmp(benchmark::State& state) {
    const fringel::Bitmap picture = cameraPicture(fringel::PixelFormat::Bgr24);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto file = fringel::encodeBmp(picture);
        bytes = file.size();
        benchmark::DoNotOptimize(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_EncodeBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
