// Speed of ResampleBitmap at the sizes the program uses: a card picture drawn at twice
// its size and halved with Lanczos, and a mana-cost picture of the card list halved
// with Hermite.
#include "Library/Common/ImageUtils.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

QImage TestPicture(int w, int h)
{
    std::mt19937 rng(42);
    QImage image(w, h, kBitmap24Format);
    for (int y = 0; y < h; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uchar(255 * x / w);
            row[3 * x + 1] = uchar(255 * y / h);
            row[3 * x + 2] = uchar(rng());
        }
    }
    return image;
}

void Resample(benchmark::State& state, int sw, int sh, int dw, int dh, ResampleFilter filter)
{
    const QImage src = TestPicture(sw, sh);
    QImage dst(dw, dh, kBitmap24Format);
    for (auto _ : state) {
        ResampleBitmap(src, dst, filter);
        benchmark::DoNotOptimize(dst.constBits());
    }
    state.SetItemsProcessed(state.iterations() * dw * dh);
}

void BM_ResampleLanczos3_624x880_to_312x440(benchmark::State& state)
{
    Resample(state, 624, 880, 312, 440, rfLanczos3);
}

void BM_ResampleHermite_124x36_to_62x18(benchmark::State& state)
{
    Resample(state, 124, 36, 62, 18, rfHermite);
}

} // namespace

BENCHMARK(BM_ResampleLanczos3_624x880_to_312x440)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleHermite_124x36_to_62x18)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
