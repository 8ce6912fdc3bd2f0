// Gravelin: a top-down racing game for one screen and one keyboard.
#include "app/game.hpp"

#include <SDL.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    // Progress lines reach a log file or pipe as they are written, so the
    // log of a run that crashed keeps its end.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    DisplayOptions options;
    std::string why;
    if (!parseDisplayOptions(argc, argv, options, why)) {
        std::fprintf(stderr, "%s\n%s", why.c_str(), displayUsage());
        return 2;
    }
    if (options.help) {
        std::printf("%s", displayUsage());
        return 0;
    }
    Game::instance()->displayOptions = options;
    Game::instance()->init(argc, argv);
    Game::instance()->run();
    return 0;
}
