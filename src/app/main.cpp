// Gravelin: a top-down racing game for one screen and one keyboard.
#include "app/game.hpp"

#include <SDL.h>

#include <cstdio>

int main(int argc, char** argv) {
    // Progress lines reach a log file or pipe as they are written, so the
    // log of a run that crashed keeps its end.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Game::instance()->init(argc, argv);
    Game::instance()->run();
    return 0;
}
