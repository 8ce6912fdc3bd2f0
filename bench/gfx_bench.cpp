// The per-frame drawing work of the menus: laying the title picture over the
// screen and drawing lines of text.
#include "gfx/font.hpp"
#include "gfx/surface.hpp"

#include <benchmark/benchmark.h>

namespace {

void BM_CopyWholeScreen(benchmark::State& state) {
    SDL_Surface* source = createSurface(640, 400, false);
    SDL_Surface* screen = createSurface(640, 400, false);
    for (auto _ : state) {
        copySurface(screen, source);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 640 * 400 * 4);
    SDL_FreeSurface(source);
    SDL_FreeSurface(screen);
}
BENCHMARK(BM_CopyWholeScreen);

void BM_DrawMenuLine(benchmark::State& state) {
    Font font("data/verdana20b.fnt");
    if (!font.complete) {
        state.SkipWithError("run from build/game: data/verdana20b.fnt is missing");
        return;
    }
    SDL_Surface* screen = createSurface(640, 400, false);
    for (auto _ : state)
        drawText(screen, font, 100, 100, "RACE/RACING SEASON", 0xFFFFFF00, true);
    SDL_FreeSurface(screen);
}
BENCHMARK(BM_DrawMenuLine);

} // namespace
