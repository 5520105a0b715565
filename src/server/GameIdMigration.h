// Entries stored before entries were named by what was played (or named by
// an earlier id) get their names when the server starts: each stored
// archive is checked again (by the verifier, so in a worker) and the oldest
// entry of a game, or of a family of games that open alike, keeps its place;
// later copies are set aside. Once every entry is named, the database's
// unique constraints hold every game and every opening to one entry.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "server/IRankingStore.h"
#include "server/IReplayVerifier.h"

struct SGameIdMigration {
  int named = 0;
  int setAside = 0;    // later copies of a game already named
  int unplayable = 0;  // marked, and not checked again
  int failed = 0;      // the check itself failed: tried again next start
  bool stopped = false;
};

// `parallel` checks run at once (one per verifier worker). Ends early, with
// `stopped`, once `stop` is set (the verifier is told to drop its checks by
// whoever sets it). Throws CGameError when the store fails.
SGameIdMigration fNameStoredGames(IRankingStore& store, IReplayVerifier& verifier, int parallel,
                                  const std::function<void(const std::string&)>& log,
                                  const std::atomic<bool>* stop = nullptr);
