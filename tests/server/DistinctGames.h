// Many different finished games for tests that upload a stream of games:
// the server registers each game (and each opening) once, so each must be
// another play. Game n is the recorded game's key log played on another
// seed: other balls come, so the same keys place them elsewhere. Should the
// log end before the game does, drops end it (the pieces stack up to the
// top), and a drop on the end screen confirms it.
#pragma once

#include <string>

class CDistinctGames {
 public:
  struct SGame {
    std::string archive;
    int score = 0;
    int maxRensa = 0;
    // "SCORE?MAXRENSA", as an upload claims them.
    std::string fClaim() const { return std::to_string(score) + "?" + std::to_string(maxRensa); }
  };

  // A recorded game's archive (a fixture).
  explicit CDistinctGames(const std::string& archive);
  // Game n, played on the recorded seed + n; game 0 is the recorded play.
  // Checked here, so its score is known.
  SGame fGame(int n) const;
  // The recorded game's key log played on any seed (a daily challenge's).
  SGame fGameOnSeed(int seed) const;

 private:
  std::string mArchive;
  int mSeed = 0;
};
