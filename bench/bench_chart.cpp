// One paint's worth of chart work, and the one-off making of the picture.

#include "res/pictures.h"
#include "ui/chart_marker.h"

#include <benchmark/benchmark.h>

#include <QImage>

namespace {

void BM_ComposeChart(benchmark::State& state)
{
    const QImage picture = velk::MakeChartPicture();
    QImage out;
    double hue = 0.0;
    for (auto _ : state) {
        velk::ComposeChart(picture, hue, 0.78, out);
        benchmark::DoNotOptimize(out.constBits());
        benchmark::ClobberMemory();
        hue = hue >= 359.0 ? 0.0 : hue + 1.0;
    }
    state.SetBytesProcessed(state.iterations() * picture.sizeInBytes());
}
BENCHMARK(BM_ComposeChart);

void BM_MakeChartPicture(benchmark::State& state)
{
    for (auto _ : state) {
        QImage picture = velk::MakeChartPicture();
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_MakeChartPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
