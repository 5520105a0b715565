// Many different finished games from one recorded one, for tests that
// upload a stream of games: the server registers each game once, so copies
// of one archive (another comment, say) are refused.
#pragma once

#include <string>
#include <vector>

#include "replay/ReplayZip.h"

class CDistinctGames {
 public:
  // A finished game's archive (a fixture).
  explicit CDistinctGames(const std::string& archive);
  // Game `n`: the same play with n frames of no key inserted before the
  // frame that confirms the finished game, so it ends n frames later with
  // the same score. Game 0 is the recorded game.
  std::string fGame(int n) const;
  long long fEndFrame() const { return mEndFrame; }

 private:
  std::vector<SArchiveMember> mMembers;
  std::size_t mKeyLog = 0;  // the key log's member
  long long mEndFrame = 0;
};
