#include "server/DistinctGames.h"

#include "replay/ReplayCheck.h"
#include "support/KeyLogEdit.h"
#include "util/Assert.h"

namespace {

// Enough drops to top out any box from any field, with room to confirm.
constexpr long long kClosingFrames = 4000;

}  // namespace

CDistinctGames::CDistinctGames(const std::string& archive) : mArchive(archive) {
  mSeed = fCheckReplayArchive(archive, "a recorded game").seed;
}

CDistinctGames::SGame CDistinctGames::fGame(int n) const { return fGameOnSeed(mSeed + n); }

CDistinctGames::SGame CDistinctGames::fGameOnSeed(int seed) const {
  key_log_edit::SEditable game(mArchive);
  game.fSetSeed(seed);
  game.fAppendPresses(EGameKey::KeyX, kClosingFrames);
  SGame made;
  made.archive = game.fPack();
  const SReplayCheckResult result = fCheckReplayBytes(made.archive);
  PLIMO_ASSERT(result.confirmed, "a distinct game ends and is confirmed");
  made.score = result.score;
  made.maxRensa = result.maxRensa;
  return made;
}
