// Gravelin: a top-down racing game for one screen and one keyboard.
#include "app/game.hpp"

#include <SDL.h>

int main(int argc, char** argv) {
    Game::instance()->init(argc, argv);
    Game::instance()->run();
    return 0;
}
