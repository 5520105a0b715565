// Entries stored before entries were named by their game get their game id
// when the server starts: each stored archive is checked again (by the
// verifier, so in a worker) and the oldest entry of a game keeps it; later
// copies are set aside. Once every entry has its id, the database's unique
// constraint holds every game to one entry.
#pragma once

#include <functional>
#include <string>

#include "server/IRankingStore.h"
#include "server/IReplayVerifier.h"

struct SGameIdMigration {
  int named = 0;
  int setAside = 0;    // later copies of a game already named
  int unplayable = 0;  // left without an id: logged, tried again next start
};

// `parallel` checks run at once (one per verifier worker). Throws
// CGameError when the store fails.
SGameIdMigration fNameStoredGames(IRankingStore& store, IReplayVerifier& verifier, int parallel,
                                  const std::function<void(const std::string&)>& log);
