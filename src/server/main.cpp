// plimoball-ranking-server: the ranking scripts of the game, with every
// upload checked by replaying its game.
#include <string>
#include <vector>

#include "server/ServerOptions.h"

int main(int argc, char** argv) {
  return fRankingServerMain(std::vector<std::string>(argv + 1, argv + argc));
}
