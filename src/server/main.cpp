// plimoball-ranking-server: the ranking scripts of the game, with every
// upload checked by replaying its game.
#include <string>
#include <vector>

#include "replay/ReplayZip.h"
#include "server/ServerOptions.h"

int main(int argc, char** argv) {
  // Before any thread: checks on several threads read replay archives.
  fSettleTimeZone();
  return fRankingServerMain(std::vector<std::string>(argv + 1, argv + argc));
}
