#include "app/game.hpp"

// The drive items call this; the selection checks and the race set-up are
// not part of the game yet, so a drive item leaves the menu as it is.
void Game::startRace(std::int32_t mode) {
    (void)mode;
}
