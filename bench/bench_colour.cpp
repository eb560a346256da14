// Colour work of one reading: blue gain, conversion, the three displayed numbers.

#include "colour/hsv.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>

namespace {

struct Reading {
    int red, green, blue;
};
constexpr std::array<Reading, 8> kReadings = {{
    {512, 640, 728}, {900, 100, 273}, {300, 250, 200}, {700, 700, 91},
    {600, 200, 546}, {0, 0, 1}, {1023, 0, 0}, {400, 400, 364},
}};

void BM_ReadingColour(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        const Reading& r = kReadings[i++ % kReadings.size()];
        const int blue = velk::ApplyBlueGain(r.blue);
        const velk::Hsv hsv = velk::RgbToHsv(r.red, r.green, blue);
        velk::HsvDisplay shown = velk::ToDisplay(hsv);
        benchmark::DoNotOptimize(shown);
    }
}
BENCHMARK(BM_ReadingColour);

}  // namespace
