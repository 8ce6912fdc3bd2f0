// Mixing one audio buffer with every channel of an eight-car race busy.
#include "sound/mixer.hpp"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

void BM_MixEightCars(benchmark::State& state) {
    SoundSample engine;
    engine.rate = 22050;
    engine.loop = true;
    for (int i = 0; i < 22080; ++i) {
        const auto v = std::int16_t(8000 * std::sin(i * 0.0228));
        engine.frames.push_back(v);
        engine.frames.push_back(v);
    }
    Mixer mixer(44100, 32);
    for (int channel = 2; channel < 18; ++channel) {
        mixer.play(channel, &engine);
        mixer.setFrequency(channel, 10000 + channel * 1000);
    }
    std::vector<std::int16_t> out(2 * 1024);
    for (auto _ : state) {
        mixer.mix(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_MixEightCars);

} // namespace
